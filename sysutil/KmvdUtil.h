// The system utilities: the utility module KmvdUtil (its loggers are named
// "KmvdUtil") and the registry unit RegistryIO ("RegistryIO:"). This header
// includes every topic header of the folder; each is implemented in the
// source of the same name, and the program's own sources include only the
// topic headers they use.
//
//   Tokens.h           getStrTokens: a text split into a TokenList
//   TextCase.h         lowerCase, upperCase, sameText
//   Numbers.h          strToInt, decimalToInt
//   Paths.h            concatPath, getShortPath, fileExists, the Windows,
//                      system and temporary directories
//   IniRead.h          readIniString: one key of an INI file
//   SetupIni.h         the installation description in the Windows
//                      directory and the package key it names
//   WinVersion.h       isWinNT, isWin95, isWin98, isWinMe, isWin2000
//   FileRemoval.h      deleteFile, listDirEntries, deleteDirFiles, removeDir,
//                      copyFileTo, deleteAtReboot, removeDirAtReboot
//   IniEntry.h         addIniEntry: one line added to wininit.ini
//   ProtectedDirs.h    the protected-folder rule over a FolderLayout
//   PlatformFolders.h  that rule over the platform's own folders
//                      (isProtectedDir, liesInDir, folderStanding, ...)
//   PlatformFiles.h    the platform's own files: its setup's LAYOUT*.INF,
//                      its profiles, the system attribute, File Protection
//   NameRules.h        device names, 8.3 names, trailing dots and blanks
//   SystemLibrary.h    loadSystemLibrary: a library of the system directory
//   ShellFolders.h     getSpecialFolderPath
//   ProgramFiles.h     platformProgramFilesDir, platformCommonFilesDir:
//                      the folders as the platform names them
//   ShellLinks.h       shortcutTarget: what a .lnk or .url starts
//   NetworkPaths.h     isNetworkPath: paths judged by their text only
//   ReparsePoints.h    liesThroughReparsePoint: junctions, mount points
//   RebootWindows.h    rebootWindows
//   CloseAppWindow.h   closeAppWindow
//   RegistryIO.h       the registry unit
//   Without a source: TokenList.h, XKmi.h, FolderLayout.h, PlatformKeys.h
//   (the platform's registry keys) and Handles.h (the owners of every handle
//   the program opens).
//
// One convention holds at this boundary.
// - Results. A function that wraps one platform operation a caller may want
//   to judge returns the platform's own result and leaves its last error
//   (deleteFile and rebootWindows a BOOL, regDeleteKey a LONG). A question
//   returns its answer: a bool that can be either, or the value asked for
//   ("" or 0 when there is none). A read that also fills an output returns
//   whether the output holds what was read (regGetString, regGetSubkeys). A
//   step whose callers go on whatever happens returns nothing. No function
//   returns a result that is always the same.
// - Logging. A function writes only the error lines its header names, into
//   its own unit's error logger (utilErrorLog, or registryErrorLog in
//   RegistryIO); every other failure is silent, told by the result if any.
//   Nothing here writes to a trace logger. The loggers are built before
//   WinMain and never call into this folder, so any function here may log.
// - Argument order. Registry: the key path first, then the value name and
//   the other inputs, then outputs, the root last (regGetString(keyPath,
//   valueName, result, root)). INI reads: the key before its section, the
//   reverse of the platform's profile call (getSetupIniString(key, section,
//   default); readIniString takes its file first and its buffer size last).
//   addIniEntry writes a line and names where it goes before the line: file,
//   section, then key and value.
#pragma once
#include "sysutil/CloseAppWindow.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/FolderLayout.h"
#include "sysutil/Handles.h"
#include "sysutil/IniEntry.h"
#include "sysutil/IniRead.h"
#include "sysutil/NameRules.h"
#include "sysutil/NetworkPaths.h"
#include "sysutil/Numbers.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFiles.h"
#include "sysutil/PlatformKeys.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ProgramFiles.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/RebootWindows.h"
#include "sysutil/ReparsePoints.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/SetupIni.h"
#include "sysutil/ShellFolders.h"
#include "sysutil/ShellLinks.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"
#include "sysutil/WinVersion.h"
#include "sysutil/XKmi.h"
