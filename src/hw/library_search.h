// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Where the access library comes from, fixed once at start-up. The dynamic loader keeps the
// LD_LIBRARY_PATH it saw when the process began, relative folders included, and resolves those
// against the current directory of the moment dlopen runs. A window started as root changes to
// root's home before it loads the library, so "LD_LIBRARY_PATH=build/sim" would find nothing
// there and the loader would fall back to the RUNPATH: the real library. The search therefore
// runs before anything changes the directory, and names the library by its absolute path.
namespace qbus::hw {

struct LibraryChoice {
  // What to hand to dlopen: an absolute path from LD_LIBRARY_PATH, or the bare file name when
  // LD_LIBRARY_PATH names no folder holding it (the RUNPATH then applies). Empty when the
  // caller's folders cannot be trusted to mean what they say; `refusal` says why.
  std::string file;
  std::string refusal;
};

// Whether `path` is an existing folder; whether `path` is an existing file.
using PathTest = std::function<bool(const std::string& path)>;

// Looks `file_name` up in `search_path` (LD_LIBRARY_PATH's value, folders separated by ':' or
// ';', an empty entry meaning the current directory) as the loader does, each folder taken
// relative to `current_directory`. The first folder holding the file wins. A folder that does
// not exist refuses the start: it names a library the user asked for that cannot be loaded,
// and any other would be a library they did not ask for.
LibraryChoice ChooseLibraryFile(const std::string& file_name, const std::string& search_path,
                                const std::string& current_directory, const PathTest& is_folder,
                                const PathTest& is_file);

// ChooseLibraryFile over this process's LD_LIBRARY_PATH, current directory and file system.
LibraryChoice ChooseLibraryFile(const std::string& file_name);

}  // namespace qbus::hw
