// Copying found files out of the cache to places the user chooses.
#pragma once

#include <string>
#include <string_view>

#include "actions/UiServices.h"
#include "platform/Platform.h"
#include "search/ResultTable.h"

namespace morlind {

extern const char* const kNothingSelectedText;  // "当前没有选中的文件!"

// Copies every ticked row's file into one chosen folder under its name.
void SaveSelected(Platform& platform, UiServices& ui, const ResultTable& table);

// Copies the highlighted row's file to a path chosen in the save-as dialog;
// extension is the last search's extension text (ANSI).
void SaveCurrent(Platform& platform, UiServices& ui, const ResultTable& table,
                 const std::string& extension);

// "保存文件(*.ext)|*.ext|所有文件(*.*)|*.*||" for a UTF-8 extension text.
std::string SaveFilter(std::string_view extension);

// The chosen path with every ".*" taken out.
std::string RemoveDotStar(std::string path);

}  // namespace morlind
