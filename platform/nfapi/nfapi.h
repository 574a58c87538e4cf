/* The operations of the packet-filter driver library "nfapi". The firewall
 * imports them by name from nfapi.dll; the records are in nfapi_types.h.
 * Status 0 (NF_STATUS_SUCCESS) is success. */
#ifndef NFAPI_H
#define NFAPI_H

#include "nfapi_types.h"

#if defined(_WIN32) && defined(NFAPI_BUILDING_DLL)
#define NFAPI_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(NFAPI_STATIC)
#define NFAPI_API __declspec(dllimport)
#else
#define NFAPI_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the session with the driver called driverName; from a zero return on
 * the handlers are called on the library's worker threads, several at a
 * time. Non-zero when no driver of that name answers. */
NFAPI_API int NFAPI_CC nf_init(const char *driverName, NfEventHandlers *handlers);
/* Ends the session; no handler runs once it returns. Never call it from a
 * handler. */
NFAPI_API void NFAPI_CC nf_free(void);
/* toHead non-zero: the rule takes precedence over every earlier rule. */
NFAPI_API int NFAPI_CC nf_addRule(NfRule *rule, int toHead);
NFAPI_API int NFAPI_CC nf_deleteRules(void);
/* suspended 1: the connection's data is held by the driver; 0: released. */
NFAPI_API int NFAPI_CC nf_tcpSetConnectionState(nf_endpoint_id id, int suspended);
NFAPI_API int NFAPI_CC nf_tcpClose(nf_endpoint_id id);
NFAPI_API int NFAPI_CC nf_tcpPostReceive(nf_endpoint_id id, const char *buffer, int length);
NFAPI_API int NFAPI_CC nf_tcpPostSend(nf_endpoint_id id, const char *buffer, int length);
NFAPI_API int NFAPI_CC nf_udpPostReceive(nf_endpoint_id id, const unsigned char *remoteAddress, const char *buffer,
                                         int length, NfUdpOptions *options);
NFAPI_API int NFAPI_CC nf_udpPostSend(nf_endpoint_id id, const unsigned char *remoteAddress, const char *buffer,
                                      int length, NfUdpOptions *options);
/* Non-zero with the full path of the process's program file in buffer. */
NFAPI_API int NFAPI_CC nf_getProcessNameA(uint32_t processId, char *buffer, uint32_t length);
NFAPI_API int NFAPI_CC nf_addFlowCtl(NfFlowLimits *limits, nf_flowctl_handle *handle);
NFAPI_API int NFAPI_CC nf_setTCPFlowCtl(nf_endpoint_id id, nf_flowctl_handle handle);
NFAPI_API int NFAPI_CC nf_getFlowCtlStat(nf_flowctl_handle handle, NfFlowStat *stat);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* NFAPI_H */
