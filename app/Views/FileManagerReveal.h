#pragma once

#include "Storage/FileLocation.h"

// Shows a file selected in the desktop's file manager (org.freedesktop.FileManager1.ShowItems on
// the session bus); when no file manager answers, opens the file's folder instead. Returns at once.
namespace FileManagerReveal {

void reveal(const FileLocation &file);

} // namespace FileManagerReveal
