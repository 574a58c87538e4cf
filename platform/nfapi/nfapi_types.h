/* Records and handler table of the packet-filter driver library "nfapi".
 * Plain C so that the library, the simulated driver and the firewall share one
 * binary layout. Every record is packed: the layouts below are the contract. */
#ifndef NFAPI_TYPES_H
#define NFAPI_TYPES_H

#include <stdint.h>

#ifdef _WIN32
#define NFAPI_CC __cdecl
#else
#define NFAPI_CC
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint64_t nf_endpoint_id;

enum nf_status {
  NF_STATUS_SUCCESS = 0,
  NF_STATUS_FAIL = -1,
  NF_STATUS_INVALID_ENDPOINT_ID = -2,
  NF_STATUS_NOT_INITIALIZED = -3,
  NF_STATUS_IO_ERROR = -4
};

enum nf_filtering_flag { NF_ALLOW = 0, NF_BLOCK = 1, NF_FILTER = 2 };

enum nf_direction { NF_DIRECTION_ANY = 0, NF_DIRECTION_IN = 1, NF_DIRECTION_OUT = 2, NF_DIRECTION_BOTH = 3 };

enum { NF_PROTOCOL_TCP = 6, NF_PROTOCOL_UDP = 17 };

enum { NF_ADDRESS_SIZE = 28, NF_MAX_PATH = 257 };

#pragma pack(push, 1)

/* A rule of the driver's list, 83 bytes. A zero field matches every value,
 * so a zero-filled rule matches all traffic. Ports are in network byte order;
 * addresses are IPv4 (first 4 bytes) or IPv6 (16 bytes) after their family. */
typedef struct NfRule {
  int32_t protocol;              /* 0-3: 6 TCP, 17 UDP, 0 any */
  uint32_t processId;            /* 4-7: 0 any process */
  uint8_t direction;             /* 8: nf_direction, 0 or 3 both ways */
  uint16_t ipFamily;             /* 9-10: AF_INET 2, AF_INET6 23, 0 any */
  uint16_t localPort;            /* 11-12 */
  uint16_t remotePort;           /* 13-14 */
  uint8_t remoteAddress[16];     /* 15-30 */
  uint8_t remoteAddressMask[16]; /* 31-46 */
  uint8_t localAddress[16];      /* 47-62 */
  uint8_t localAddressMask[16];  /* 63-78 */
  uint32_t filteringFlag;        /* 79-82: nf_filtering_flag */
} NfRule;

/* What the TCP connect-request and connected handlers receive. The request
 * handler writes NF_BLOCK into filteringFlag to refuse the connection. */
typedef struct NfConnection {
  uint32_t filteringFlag;                 /* 0-3 */
  uint32_t processId;                     /* 4-7 */
  uint8_t direction;                      /* 8: 1 in, 2 out, 3 both */
  uint16_t ipFamily;                      /* 9-10 */
  uint8_t localAddress[NF_ADDRESS_SIZE];  /* 11-38: sockaddr_in or sockaddr_in6 */
  uint8_t remoteAddress[NF_ADDRESS_SIZE]; /* 39-66 */
} NfConnection;

/* A UDP socket as the created and closed handlers see it. */
typedef struct NfUdpSocket {
  uint32_t processId;
  uint16_t ipFamily;
  uint8_t localAddress[NF_ADDRESS_SIZE];
} NfUdpSocket;

/* A UDP connect request; filteringFlag as for TCP. */
typedef struct NfUdpConnectRequest {
  uint32_t filteringFlag;
  uint32_t processId;
  uint16_t ipFamily;
  uint8_t localAddress[NF_ADDRESS_SIZE];
  uint8_t remoteAddress[NF_ADDRESS_SIZE];
} NfUdpConnectRequest;

/* Options that travel with a datagram and must be handed back unchanged. */
typedef struct NfUdpOptions {
  uint32_t flags;
  uint32_t optionsLength;
} NfUdpOptions;

/* Limits of a flow-control context: all zero means count without limiting. */
typedef struct NfFlowLimits {
  uint64_t inLimit;
  uint64_t outLimit;
} NfFlowLimits;

/* Byte totals of a flow-control context since its creation. */
typedef struct NfFlowStat {
  uint64_t inBytes;
  uint64_t outBytes;
} NfFlowStat;

#pragma pack(pop)

typedef uint32_t nf_flowctl_handle;

/* The 16 handlers, in the order the library expects them. They run on the
 * library's worker threads, several at a time. */
typedef struct NfEventHandlers {
  void(NFAPI_CC *threadStart)(void);
  void(NFAPI_CC *threadEnd)(void);
  void(NFAPI_CC *tcpConnectRequest)(nf_endpoint_id id, NfConnection *connection);
  void(NFAPI_CC *tcpConnected)(nf_endpoint_id id, NfConnection *connection);
  void(NFAPI_CC *tcpClosed)(nf_endpoint_id id, NfConnection *connection);
  void(NFAPI_CC *tcpReceive)(nf_endpoint_id id, const char *buffer, int length);
  void(NFAPI_CC *tcpSend)(nf_endpoint_id id, const char *buffer, int length);
  void(NFAPI_CC *tcpCanReceive)(nf_endpoint_id id);
  void(NFAPI_CC *tcpCanSend)(nf_endpoint_id id);
  void(NFAPI_CC *udpCreated)(nf_endpoint_id id, NfUdpSocket *socket);
  void(NFAPI_CC *udpConnectRequest)(nf_endpoint_id id, NfUdpConnectRequest *request);
  void(NFAPI_CC *udpClosed)(nf_endpoint_id id, NfUdpSocket *socket);
  void(NFAPI_CC *udpReceive)(nf_endpoint_id id, const unsigned char *remoteAddress, const char *buffer, int length,
                             NfUdpOptions *options);
  void(NFAPI_CC *udpSend)(nf_endpoint_id id, const unsigned char *remoteAddress, const char *buffer, int length,
                          NfUdpOptions *options);
  void(NFAPI_CC *udpCanReceive)(nf_endpoint_id id);
  void(NFAPI_CC *udpCanSend)(nf_endpoint_id id);
} NfEventHandlers;

#ifdef __cplusplus
} /* extern "C" */

#include <cstddef>
static_assert(sizeof(NfRule) == 83, "driver rule is 83 bytes");
static_assert(offsetof(NfRule, protocol) == 0);
static_assert(offsetof(NfRule, processId) == 4);
static_assert(offsetof(NfRule, filteringFlag) == 79);
static_assert(sizeof(NfConnection) == 67, "connection record is 67 bytes");
static_assert(offsetof(NfConnection, processId) == 4);
static_assert(offsetof(NfConnection, direction) == 8);
static_assert(offsetof(NfConnection, localAddress) == 11);
static_assert(offsetof(NfConnection, remoteAddress) == 39);
static_assert(sizeof(NfFlowLimits) == 16);
static_assert(sizeof(NfFlowStat) == 16);
static_assert(sizeof(NfEventHandlers) == 16 * sizeof(void (*)(void)), "16 handler slots");
#endif

#endif /* NFAPI_TYPES_H */
