#include "engine/emergency_stop.h"

#include "engine/decision_tables.h"
#include "engine/driver_port.h"
#include "engine/filter_session.h"

namespace tvn {

void EngageEmergencyStop(DecisionTables& tables, DriverPort& driver) {
  tables.EmergencyStop = true;
  NfRule blockEverything{};
  blockEverything.filteringFlag = NF_BLOCK;
  driver.AddRule(blockEverything, true);
}

void ReleaseEmergencyStop(DecisionTables& tables, DriverPort& driver, FilterSession& session) {
  tables.EmergencyStop = false;
  driver.DeleteRules();
  session.CloseFilterSession();
  session.OpenFilterSession();
}

}  // namespace tvn
