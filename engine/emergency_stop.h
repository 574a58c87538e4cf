// The driver side of the emergency stop. Both run on the GUI thread after the
// window has shown the change; a decision already running on a driver thread
// when the flag changes completes normally.
#pragma once

namespace tvn {

class DecisionTables;
class DriverPort;
class FilterSession;

// Sets EmergencyStop, then puts a zero-filled block rule at the head of the
// driver's list: it matches every connection of every protocol and process.
void EngageEmergencyStop(DecisionTables& tables, DriverPort& driver);

// Clears EmergencyStop, drops every rule and starts the session afresh with
// its base rule and a new byte-counting context. The reopening's result is
// not looked at: the status display is the caller's.
void ReleaseEmergencyStop(DecisionTables& tables, DriverPort& driver, FilterSession& session);

}  // namespace tvn
