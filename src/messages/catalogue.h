// The message catalogue: one descriptor per component that has messages,
// the buffer pools that texts are handed out from, and the steps of a
// retrieval. Everything here runs under msg_lock, except the set-up and the
// marker byte that callers clear.
#ifndef DEVAVU_MESSAGES_CATALOGUE_H_
#define DEVAVU_MESSAGES_CATALOGUE_H_

#include <atomic>
#include <cstdint>

#include "messages/marker.h"

namespace libdevavu::messages {

inline constexpr int kMaxInserts = 9;
inline constexpr int kMsgSlots = 20;

struct MsgComponent {
  uint32_t msg_no;        // request in progress: identifier, or index when preloaded
  uint16_t msg_base;      // the range is msg_base + 1 to msg_base + msg_count
  uint16_t msg_count;
  uint16_t max_len;       // bytes of one text, terminating zero included
  uint16_t insert_count;  // request in progress, 0 to 9
  uint16_t preloaded;     // 1 once cache holds every text of the range
  uint16_t comp_id;       // request in progress: selects the buffer pool
  char* text;             // request in progress: the formatted text
  const char* lib_name;   // file name of the component's message library
  char** cache;           // msg_count + 1 raw texts; entry 0 is never used
  uintptr_t inserts[kMaxInserts];
};

// A node of a component's buffer pool. buffer[0] is the marker byte (0 free,
// 1 handed out), followed by max_len bytes of text.
struct MsgBuffer {
  MsgBuffer* next;
  uint8_t* buffer;
};

// The catalogue's three tables of kMsgSlots pointers, by component id:
// made by devavu_init, freed by devavu_term.
struct MessageTables {
  MsgComponent** msg_components = nullptr;
  MsgBuffer** msg_pool_head = nullptr;
  MsgBuffer** msg_pool_tail = nullptr;
};
MessageTables& Tables();


// Results of RetrieveMsgText, besides a code of GetNLSMessage passed on.
inline constexpr uint16_t kRetrieved = 0;
inline constexpr uint16_t kOutOfMemory = 6;
inline constexpr uint16_t kNotFound = 317;
inline constexpr uint16_t kRetrievalFailed = 0xFFFF;

// 0, or 6 when memory runs out; a missing message library is reported, not
// failed.
uint16_t InitMsgCatalogue();
// 0 when every component's message library can be opened, else -1.
int16_t LoadMsgLibraries();
// Releases every descriptor, cache, pool and the three tables.
void FreeMsgCatalogue();

// Formats the request described in the descriptor into a pool buffer.
uint16_t RetrieveMsgText(MsgComponent* component);
// The text area of a free buffer of the component's pool, now marked in use,
// or null when memory is exhausted.
char* GetMsgBuffer(uint16_t comp_id, uint16_t size);

// 1 until a message library was found missing at set-up; never set back.
std::atomic<uint16_t>& MsgsAvailable();

}  // namespace libdevavu::messages

#endif  // DEVAVU_MESSAGES_CATALOGUE_H_
