// A stand-in for the system's WMI, enough for the state library: the locator
// (ConnectServer), the services (GetObject, PutInstance, DeleteInstance) and
// class objects (SpawnInstance, Put) of the Security Center classes. It keeps
// its namespaces and instances in standin_store, checks its arguments the way
// the library is meant to pass them, and fails a method on request.
#pragma once

#include <objbase.h>

namespace tvn::test {

// The class factory of the stand-in locator (one object for the process).
IClassFactory* StandInLocatorFactory();

// Stand-in objects (locators, services, classes, instances) not yet released.
long StandInLiveObjects();

// Puts the stand-in in place of the system's WMI locator for this process,
// until Revoke or the end of the scope. COM must be initialised.
class ProcessWideStandIn {
 public:
  ProcessWideStandIn();
  ProcessWideStandIn(const ProcessWideStandIn&) = delete;
  ProcessWideStandIn& operator=(const ProcessWideStandIn&) = delete;
  ~ProcessWideStandIn() { Revoke(); }
  void Revoke();

 private:
  DWORD cookie_ = 0;
};

}  // namespace tvn::test
