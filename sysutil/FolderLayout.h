// Where a platform keeps its shared folders: the input of the protected-folder
// rule (ProtectedDirs.h); PlatformFolders.h asks the running platform for it.
#pragma once
#include <string>
#include <vector>

// Each folder may be listed in several written forms (long and short);
// letter case does not matter.
struct FolderLayout {
    // Special folders of the user and of all users, the program-files root,
    // the profile roots, the system and temporary directories.
    std::vector<std::string> protectedDirs;
    // The Windows directory.
    std::vector<std::string> windowsDirs;
    // The start menu's Programs folders of the user and of all users: a
    // folder strictly below one of them may go even inside the Windows
    // directory (where Windows 95, 98, Me and NT 4 keep the start menu).
    std::vector<std::string> programsDirs;
    // The temporary folders: GetTempPath, <Windows>\TEMP, %TEMP%, %TMP%.
    std::vector<std::string> tempDirs;
    // The Common Files folder: what lies in it is shared by definition.
    std::vector<std::string> commonFilesDirs;
    // The user's data: documents, pictures, music and video, application
    // data (the user's, local and all users'), all users' documents and the
    // favourites. Nothing inside one is a program folder.
    std::vector<std::string> dataDirs;
    // The user's profile: data too, but for what lies in a program-files
    // root inside it.
    std::vector<std::string> profileDirs;
    std::vector<std::string> programFilesDirs;
};
