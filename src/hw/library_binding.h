// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "hw/hardware_access.h"

// Loading the hardware-access library by file name, looking up its entry points and setting it
// up, and releasing it again at the end.
namespace qbus::hw {

// Shows a modal message (title, text) and returns when the user has dismissed it. The window
// layer provides it, so this module stays free of any toolkit.
using ShowMessageFn = std::function<void(const std::string& title, const std::string& text)>;

// A loaded library and its table of entry points. It owns the handle: when it goes (or on
// Release) it calls DeinitializeOls and unloads the library. Move-only; empty when nothing is
// loaded.
class LoadedLibrary {
 public:
  LoadedLibrary() = default;
  // Takes over `handle` (from dlopen) with the entry points looked up in it.
  LoadedLibrary(void* handle, const HardwareAccess& entry_points)
      : handle_(handle), access(entry_points) {}
  ~LoadedLibrary() { Release(); }
  LoadedLibrary(LoadedLibrary&& other) noexcept { *this = std::move(other); }
  LoadedLibrary& operator=(LoadedLibrary&& other) noexcept;
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // Calls DeinitializeOls, then unloads the library; does nothing when nothing is loaded.
  void Release();

 private:
  void* handle_ = nullptr;

 public:
  // The entry points; all null when nothing is loaded. Valid while the library is loaded.
  HardwareAccess access{};
};

// The processor architecture of this process in the numbering Windows uses
// (0 x86, 5 ARM, 6 Itanium, 9 x86-64, 12 ARM64; 0xFFFF for any other).
uint16_t ProcessArchitecture();

// "libWinRing0x64.so" for architecture 9, "libWinRing0.so" for every other value.
std::string LibraryFileName(uint16_t architecture);

// Loads the library of this process's architecture (no directory: the standard search and the
// program's RUNPATH apply), looks up the ten entry points and calls InitializeOls. On failure
// it shows one message titled "Fehler !" and returns false with nothing loaded:
//   - the file cannot be loaded, or lacks one of the ten names: "Kann WinRing0 nicht öffnen !";
//   - InitializeOls returns 0: the library is unloaded first (DeinitializeOls is not called),
//     then "Kann WinRing0 nicht initialisieren !".
bool Bind(const ShowMessageFn& show_message, LoadedLibrary* library);

// Bind with a given file name instead of the architecture's.
bool BindFile(const std::string& file_name, const ShowMessageFn& show_message,
              LoadedLibrary* library);

// Looks the ten entry points up in a library loaded with dlopen, in table order; false when any
// name is missing (its entry is then null). The optional entries are looked up too, and stay
// null where the library lacks them. Calls none of them.
bool LookUpEntryPoints(void* handle, HardwareAccess* access);

// library->Release().
void Unbind(LoadedLibrary* library);

}  // namespace qbus::hw
