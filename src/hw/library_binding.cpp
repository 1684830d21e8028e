// SPDX-License-Identifier: GPL-3.0-or-later
#include "hw/library_binding.h"

#include <dlfcn.h>
#include <type_traits>
#include <utility>

#include "access/common/entry_points.h"

namespace qbus::hw {
namespace {

// The table's entries have the types of the entry points' one declaration, less `noexcept`,
// which the program cannot assume of a library it merely loads.
template <typename Entry>
struct Loaded;
template <typename Result, typename... Arguments>
struct Loaded<Result (*)(Arguments...) noexcept> {
  using type = Result (*)(Arguments...);
};
template <typename Field, typename Entry>
constexpr bool kSameShape = std::is_same_v<Field, typename Loaded<Entry>::type>;

static_assert(kSameShape<decltype(HardwareAccess::InitializeOls), decltype(&::InitializeOls)>);
static_assert(kSameShape<decltype(HardwareAccess::DeinitializeOls), decltype(&::DeinitializeOls)>);
static_assert(
    kSameShape<decltype(HardwareAccess::ReadIoPortDwordEx), decltype(&::ReadIoPortDwordEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::WriteIoPortDwordEx), decltype(&::WriteIoPortDwordEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::ReadPciConfigDwordEx), decltype(&::ReadPciConfigDwordEx)>);
static_assert(kSameShape<decltype(HardwareAccess::WritePciConfigDwordEx),
                         decltype(&::WritePciConfigDwordEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::ReadPciConfigWordEx), decltype(&::ReadPciConfigWordEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::WritePciConfigWordEx), decltype(&::WritePciConfigWordEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::ReadPciConfigByteEx), decltype(&::ReadPciConfigByteEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::WritePciConfigByteEx), decltype(&::WritePciConfigByteEx)>);

static_assert(
    kSameShape<decltype(HardwareAccess::ReadPciConfigSpaceEx), decltype(&::ReadPciConfigSpaceEx)>);
static_assert(kSameShape<decltype(HardwareAccess::ReadPciConfigSpaceBatchEx),
                         decltype(&::ReadPciConfigSpaceBatchEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::GetAccessStateEx), decltype(&::GetAccessStateEx)>);
static_assert(kSameShape<decltype(HardwareAccess::RecordsWritesEx), decltype(&::RecordsWritesEx)>);
static_assert(kSameShape<decltype(HardwareAccess::GetPciDomainEx), decltype(&::GetPciDomainEx)>);
static_assert(
    kSameShape<decltype(HardwareAccess::IsSimulatedMachineEx), decltype(&::IsSimulatedMachineEx)>);

constexpr char kErrorTitle[] = "Fehler !";
constexpr char kCannotOpen[] = "Kann WinRing0 nicht öffnen !";
constexpr char kCannotInitialize[] = "Kann WinRing0 nicht initialisieren !";

template <typename Entry>
bool LookUp(void* handle, const char* name, Entry* entry) {
  *entry = reinterpret_cast<Entry>(dlsym(handle, name));
  return *entry != nullptr;
}

}  // namespace

bool LookUpEntryPoints(void* handle, HardwareAccess* a) {
  bool found = true;
  found &= LookUp(handle, "InitializeOls", &a->InitializeOls);
  found &= LookUp(handle, "DeinitializeOls", &a->DeinitializeOls);
  found &= LookUp(handle, "ReadIoPortDwordEx", &a->ReadIoPortDwordEx);
  found &= LookUp(handle, "WriteIoPortDwordEx", &a->WriteIoPortDwordEx);
  found &= LookUp(handle, "ReadPciConfigDwordEx", &a->ReadPciConfigDwordEx);
  found &= LookUp(handle, "WritePciConfigDwordEx", &a->WritePciConfigDwordEx);
  found &= LookUp(handle, "ReadPciConfigWordEx", &a->ReadPciConfigWordEx);
  found &= LookUp(handle, "WritePciConfigWordEx", &a->WritePciConfigWordEx);
  found &= LookUp(handle, "ReadPciConfigByteEx", &a->ReadPciConfigByteEx);
  found &= LookUp(handle, "WritePciConfigByteEx", &a->WritePciConfigByteEx);
  LookUp(handle, "ReadPciConfigSpaceEx", &a->ReadPciConfigSpaceEx);
  LookUp(handle, "ReadPciConfigSpaceBatchEx", &a->ReadPciConfigSpaceBatchEx);
  LookUp(handle, "GetAccessStateEx", &a->GetAccessStateEx);
  LookUp(handle, "RecordsWritesEx", &a->RecordsWritesEx);
  LookUp(handle, "GetPciDomainEx", &a->GetPciDomainEx);
  LookUp(handle, "IsSimulatedMachineEx", &a->IsSimulatedMachineEx);
  return found;
}

uint16_t ProcessArchitecture() {
#if defined(__x86_64__)
  return 9;
#elif defined(__aarch64__)
  return 12;
#elif defined(__i386__)
  return 0;
#elif defined(__arm__)
  return 5;
#elif defined(__ia64__)
  return 6;
#else
  return 0xFFFF;
#endif
}

std::string LibraryFileName(uint16_t architecture) {
  return architecture == 9 ? "libWinRing0x64.so" : "libWinRing0.so";
}

bool Bind(const ShowMessageFn& show_message, LoadedLibrary* library) {
  return BindFile(LibraryFileName(ProcessArchitecture()), show_message, library);
}

bool BindFile(const std::string& file_name, const ShowMessageFn& show_message,
              LoadedLibrary* library) {
  *library = LoadedLibrary();
  // An empty name would make dlopen hand back the program itself.
  void* handle = file_name.empty() ? nullptr : dlopen(file_name.c_str(), RTLD_NOW | RTLD_LOCAL);
  HardwareAccess access{};
  if (handle != nullptr && !LookUpEntryPoints(handle, &access)) {
    dlclose(handle);
    handle = nullptr;
  }
  if (handle == nullptr) {
    show_message(kErrorTitle, kCannotOpen);
    return false;
  }
  if (access.InitializeOls() == 0) {
    dlclose(handle);
    show_message(kErrorTitle, kCannotInitialize);
    return false;
  }
  *library = LoadedLibrary(handle, access);
  return true;
}

LoadedLibrary& LoadedLibrary::operator=(LoadedLibrary&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, nullptr);
    access = std::exchange(other.access, HardwareAccess{});
  }
  return *this;
}

void LoadedLibrary::Release() {
  if (handle_ == nullptr) return;
  access.DeinitializeOls();
  dlclose(std::exchange(handle_, nullptr));
  access = {};
}

void Unbind(LoadedLibrary* library) { library->Release(); }

}  // namespace qbus::hw
