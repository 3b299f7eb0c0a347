// The open-file dialog as the commands ask for it: an initial directory, an extension
// text and a suggested name, shown through the user-interface interface (ui.h).
#pragma once

#include <string>

#include "support/ui.h"

namespace tessel {

// What the dialog shows for an extension text: ext is the text after its first '.'
// (the whole text when nothing follows a dot), the title "Open File", the filter
// description "File Type (*." + ext + ")", a pattern offering every extension named in
// ext in lower and upper case ("*.prj *.PRJ"; ".CH10;*.C10;" gives
// "*.ch10 *.c10 *.CH10 *.C10"), the first of them as default extension, and the file
// title of the suggested name.
OpenFileRequest MakeOpenFileRequest(const std::string& initial_directory,
                                    const std::string& extension_text,
                                    const std::string& suggested_name);

// Shows the dialog; on true `name` is the chosen full path, on false (cancelled, an
// empty answer, or no user interface installed) it is unchanged. The chosen file need not exist.
bool OpenFileDialog(const std::string& initial_directory, const std::string& extension_text,
                    std::string& name, const std::string& suggested_name);

// Makes the start directory (where the log started) current again, as the commands do
// before a file dialog: relative names are taken from there.
void MakeStartDirectoryCurrent();

}  // namespace tessel
