// The program's own temporary folder, for bodies of browser rows that the
// shell opens or the clipboard carries: <temp>\Morlind\<process id>. It goes
// when the program ends; what another program still held then goes at the
// next start.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace morlind {

class ScratchFolder {
 public:
  // Removes what runs that have ended left behind.
  explicit ScratchFolder(Platform& platform);
  // Removes this run's folder with whatever can go.
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // A new empty folder of its own for one use, so names never meet those
  // of an earlier use that another program may still hold; nothing when
  // none can be made. Safe from any thread: searches make folders for
  // copies on the worker.
  std::optional<std::string> NewFolder();
  // The same, removed with what it holds (what is held open stays) when
  // the last holder lets it go. This folder object must outlive it.
  std::shared_ptr<const std::string> NewLeasedFolder();

 private:
  // Empties folder and removes it; what is held open stays.
  void Remove(const std::string& folder);

  Platform& platform_;
  std::optional<std::string> parent_;  // <temp>\Morlind
  std::optional<std::string> own_;     // <temp>\Morlind\<process id>, once made
  int uses_ = 0;
  std::mutex making_;  // guards own_ and uses_
};

}  // namespace morlind
