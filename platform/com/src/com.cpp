// SPDX-License-Identifier: MIT
// COM apartment count and the table of creatable classes. One thread uses
// them (the message loop's), so there is no locking.
#include <objbase.h>

#include <vector>

namespace {

int g_initCount = 0;

struct FactoryEntry {
  CLSID clsid;
  CoClassFactory factory;
};

std::vector<FactoryEntry>& Factories() {
  static std::vector<FactoryEntry> factories;
  return factories;
}

}  // namespace

HRESULT CoInitialize(LPVOID reserved) {
  return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID, DWORD) {
  return g_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (g_initCount > 0) --g_initCount;
}

int CoInitializeCount() {
  return g_initCount;
}

void CoRegisterClassFactory(REFCLSID clsid, CoClassFactory factory) {
  for (FactoryEntry& e : Factories()) {
    if (e.clsid == clsid) {
      e.factory = factory;
      return;
    }
  }
  Factories().push_back({clsid, factory});
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD, REFIID riid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (g_initCount == 0) return CO_E_NOTINITIALIZED;
  for (const FactoryEntry& e : Factories()) {
    if (e.clsid == clsid) return e.factory(riid, object);
  }
  return REGDB_E_CLASSNOTREG;
}
