// Opening a found file with the program the shell associates with it.
#pragma once

#include <string>
#include <string_view>

#include "actions/UiServices.h"
#include "platform/Platform.h"

namespace morlind {

extern const char* const kRunsCodeQuestion;
extern const char* const kPathTooLongToOpenText;
extern const char* const kCannotOpenText;  // "无法打开此文件：", then the reason

// Whether the shell runs code when it opens a file of this name: programs,
// scripts, installers, shortcuts, registry files and the like.
bool RunsCodeWhenOpened(std::string_view name);

// Opens the file shown normally, with verb "open" and no owner; a file that
// runs code opens only when the user says yes to the question. A path the
// shell cannot take is said so; a launch that fails where the shell told
// the user nothing is said with the reason in the system's words.
void OpenFile(UiServices& ui, Platform& platform, const std::string& path);

}  // namespace morlind
