// An access library that lacks WritePciConfigByteEx, to test binding against it.
#include <cstdint>

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT uint32_t InitializeOls() { return 1; }
EXPORT void DeinitializeOls() {}
EXPORT uint32_t ReadIoPortDwordEx(uint32_t, uint32_t*) { return 0; }
EXPORT uint32_t WriteIoPortDwordEx(uint32_t, uint32_t) { return 0; }
EXPORT uint32_t ReadPciConfigDwordEx(uint32_t, uint32_t, uint32_t*) { return 0; }
EXPORT uint32_t WritePciConfigDwordEx(uint32_t, uint32_t, uint32_t) { return 0; }
EXPORT uint32_t ReadPciConfigWordEx(uint32_t, uint32_t, uint16_t*) { return 0; }
EXPORT uint32_t WritePciConfigWordEx(uint32_t, uint32_t, uint16_t) { return 0; }
EXPORT uint32_t ReadPciConfigByteEx(uint32_t, uint32_t, uint8_t*) { return 0; }
