// Keys below HKEY_LOCAL_MACHINE that several clean-up steps use, and the
// product code that names the package setup's own record.
#pragma once

constexpr const char* startupKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The values of startupKey that start the package's companion programs.
constexpr const char* companionStartupValues[] = {"KMICONEXE", "LINEMONEXE", "LINEWATCHEXE"};
constexpr const char* uninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The setup record's folder and its uninstall entry below uninstallKey.
constexpr const char* setupProductCode = "{5e1d0c7a-93b2-4f16-8a44-2b7c90d1e6f3}";
