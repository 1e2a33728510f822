#pragma once
// The message bus between programs: windows (class name, title) on UNIX
// sockets in a private folder of the runtime folder, found by class and
// title, reached by post, broadcast, send with time-out and WM_COPYDATA.
#include "platform/window_message.h"
#include "platform/winmsg_directory.h"
#include "platform/winmsg_send.h"
#include "platform/winmsg_types.h"
#include "platform/winmsg_window.h"
