// Raw platform message identifiers, in the Win32 numbering, that
// wait_event() passes through when a message recorded no event. The program
// ignores them (toolkit.h only promises "the message's own identifier"); they
// are named here so that every backend reports the same numbers for the same
// kind of message, and the conformance suite can check them.
#pragma once

namespace tk {

inline constexpr int kMsgNull = 0x0000;
inline constexpr int kMsgPaint = 0x000F;
inline constexpr int kMsgKeyDown = 0x0100;
inline constexpr int kMsgKeyUp = 0x0101;
inline constexpr int kMsgChar = 0x0102;
inline constexpr int kMsgTimer = 0x0113;
inline constexpr int kMsgMouseMove = 0x0200;
inline constexpr int kMsgLButtonDown = 0x0201;
inline constexpr int kMsgLButtonUp = 0x0202;
inline constexpr int kMsgLButtonDblClk = 0x0203;
inline constexpr int kMsgRButtonDown = 0x0204;
inline constexpr int kMsgRButtonUp = 0x0205;
inline constexpr int kMsgRButtonDblClk = 0x0206;

}  // namespace tk
