#pragma once

#include "tests/support/fake_dialogs.h"
#include "tests/support/file_helpers.h"
#include "tests/support/window_parts.h"
