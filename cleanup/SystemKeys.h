// The package's names in the platform's keys (sysutil/PlatformKeys.h) that
// several clean-up steps use: its companions' start-up values and the
// product code that names the package setup's own record.
#pragma once
#include "sysutil/PlatformKeys.h"

// The values of startupKey that start the package's companion programs.
constexpr const char* companionStartupValues[] = {"KMICONEXE", "LINEMONEXE", "LINEWATCHEXE"};
// The setup record's folder and its uninstall entry below uninstallKey.
constexpr const char* setupProductCode = "{5e1d0c7a-93b2-4f16-8a44-2b7c90d1e6f3}";
