// SPDX-License-Identifier: GPL-3.0-or-later
#include "hw/library_search.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace qbus::hw {
namespace {

// Built by appending: g++ 12 warns falsely (-Wrestrict) on a literal + string chain here.
std::string Refusal(const std::string& folder, const char* why) {
  std::string text = "LD_LIBRARY_PATH names ";
  return text.append(folder).append(why);
}

}  // namespace

LibraryChoice ChooseLibraryFile(const std::string& file_name, const std::string& search_path,
                                const std::string& current_directory, const PathTest& is_folder,
                                const PathTest& is_file) {
  size_t start = 0;
  while (start <= search_path.size()) {
    size_t end = search_path.find_first_of(":;", start);
    if (end == std::string::npos) end = search_path.size();
    std::string folder = search_path.substr(start, end - start);
    start = end + 1;
    if (folder.empty() && end == search_path.size() && search_path.empty()) break;
    if (folder.empty() || folder[0] != '/') {
      if (current_directory.empty()) {
        return {"", Refusal(folder.empty() ? "." : folder, " in an unknown directory")};
      }
      folder = folder.empty() ? current_directory : current_directory + '/' + folder;
    }
    if (!is_folder(folder)) return {"", Refusal(folder, ", which is not a folder")};
    std::string candidate = folder;
    candidate.append(1, '/').append(file_name);
    if (is_file(candidate)) return {candidate, ""};
  }
  return {file_name, ""};
}

LibraryChoice ChooseLibraryFile(const std::string& file_name) {
  const char* search_path = std::getenv("LD_LIBRARY_PATH");
  char* current = getcwd(nullptr, 0);
  const std::string current_directory = current != nullptr ? current : "";
  std::free(current);
  const auto has_mode = [](unsigned mode) {
    return [mode](const std::string& path) {
      struct stat status;
      return stat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == mode;
    };
  };
  return ChooseLibraryFile(file_name, search_path != nullptr ? search_path : "", current_directory,
                           has_mode(S_IFDIR), has_mode(S_IFREG));
}

}  // namespace qbus::hw
