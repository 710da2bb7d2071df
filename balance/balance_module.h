#pragma once

#include <QtGlobal>

// Registers the balance panel's maker and the formula planner, as loading the
// balance module does (balance_commands.h).
void RegisterBalance();

extern "C" Q_DECL_EXPORT void trevalune_balance_register();
