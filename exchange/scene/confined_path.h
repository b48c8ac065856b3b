// Files that a model names (buffers, materials, pictures) are opened only
// inside the model's own folder: a downloaded model must not make the program
// read the user's other files, block on a FIFO or read a device.
#pragma once

#include <string>

// The folder a model's companions must lie in: the folder of the model's
// real path (a link to a model counts where it points). Empty with `problem`
// set when the model cannot be found.
std::string modelFolder(const std::string& modelPath, std::string& problem);

// What a file is to the model being read: the model itself, or a file it
// names (a buffer, a material library, a picture).
enum class FileRole { Model, Companion };

// Opens `path` for reading when, every symbolic link resolved, it lies in
// `folder` or below and is a regular file. The descriptor is blocking and
// close-on-exec. -1 with `problem` set (in French, naming `path`) otherwise;
// a FIFO or a device is never opened in a way that could block or act. A
// companion with other names (hard links, which may lie outside the folder)
// is read only when it is the user's own.
int openInsideFolder(const std::string& folder, const std::string& path, std::string& problem,
                     FileRole role = FileRole::Companion);

// The Landlock ABI the kernel offers, 0 without Landlock: with it the import
// child is held to reading beneath the model's folder by the kernel itself.
int landlockAbiVersion();
