#pragma once

#include "../support/fake_dialogs.h"
#include "../support/file_helpers.h"
#include "../support/window_parts.h"
