// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "app/file_system.h"

namespace qbus::app {

// A file written piece by piece yet replaced whole or not at all: the pieces go into a new
// temporary file beside `path`, and only Commit renames it over `path`, every step relative to
// the one folder opened first. A file that is replaced keeps its modes and, where the writer may
// give it, its owner. A refusal names the file and the reason ("Cannot write /x/y.txt:
// Permission denied"); after one, or when the writer goes without a Commit (a cancelled save),
// nothing is left behind and an existing file stays as it was. Every step goes through `fs`,
// which must outlive the writer.
class WholeFileWriter {
 public:
  // Opens the folder and the temporary file, with the modes and owner the file will have;
  // refusal() says why when that fails.
  explicit WholeFileWriter(const std::string& path, FileSystem& fs = RealFileSystem());
  // Removes the temporary file unless Commit renamed it.
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // Empty while every step so far worked; otherwise the first refusal.
  const std::string& refusal() const { return refusal_; }
  // Writes `text` after the pieces before it. False when this or an earlier step failed; a
  // failed writer writes nothing more.
  bool Append(std::string_view text);
  // Flushes the file to the disk and renames it over `path`. Empty when saved, otherwise the
  // refusal. Called at most once; nothing is appended after it.
  std::string Commit();

 private:
  // Records the refusal for `error` and removes the temporary file; returns the refusal.
  std::string Fail(int error);
  void Discard();

  const std::string path_;
  FileSystem& fs_;
  std::string name_;       // of the file, in its folder
  std::string temporary_;  // of the temporary file, empty when there is none to remove
  int folder_ = -1;
  int fd_ = -1;
  std::string refusal_;
};

// Writes `text` to `path` whole or not at all, as a WholeFileWriter does: empty when written,
// otherwise the refusal.
std::string WriteFileWhole(const std::string& path, const std::string& text,
                           FileSystem& fs = RealFileSystem());

}  // namespace qbus::app
