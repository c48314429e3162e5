// Where things are: the running program's folder and simple questions about files and folders.
#pragma once

#include <string>

namespace platform {

// The folder of the running executable (the host, never a plug-in library), without a trailing
// separator.
std::string program_folder();

// Joins two path parts with the platform's separator.
std::string join_path(const std::string& folder, const std::string& name);

// True for an existing file that is not a folder.
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);

// Creates the folder and its missing parents; throws platform::Error naming it on failure.
void create_folders(const std::string& path);

}  // namespace platform
