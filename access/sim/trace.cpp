#include "access/sim/trace.h"

namespace qbus::access::sim {

Trace::Trace(const std::string& path) {
  if (!path.empty()) file_ = std::fopen(path.c_str(), "a");
  // Line by line, so that a reader sees every call as soon as it returns.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IOLBF, 0);
}

Trace::~Trace() {
  if (file_ != nullptr) std::fclose(file_);
}

void Trace::Call(const char* name, std::initializer_list<uint32_t> arguments,
                 std::optional<uint32_t> result, std::optional<uint32_t> value) {
  if (file_ == nullptr) return;
  std::fputs(name, file_);
  for (uint32_t argument : arguments) std::fprintf(file_, " 0x%X", argument);
  if (result) std::fprintf(file_, " -> 0x%X", *result);
  if (value) std::fprintf(file_, " 0x%X", *value);
  std::fputc('\n', file_);
}

}  // namespace qbus::access::sim
