#pragma once
// How a message leaves for the other process.

namespace IPC {

enum class Delivery {
  kDeferred,   // sent at once; the receiver copies it and handles it after the send returns
  kImmediate,  // sent at once; the receiver has handled it when the send returns
  kQueued,     // handed to the channel's sender thread: sent in order, deferred, and kept and
               // retried while the receiver's window is missing
};

}  // namespace IPC
