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

// The loaded library: the handle and its table. Empty (null handle) when nothing is loaded.
struct LoadedLibrary {
  void* handle = nullptr;
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
// name is missing (its entry is then null). Calls none of them.
bool LookUpEntryPoints(void* handle, HardwareAccess* access);

// Calls DeinitializeOls, then unloads the library. Does nothing when nothing is loaded.
void Unbind(LoadedLibrary* library);

}  // namespace qbus::hw
