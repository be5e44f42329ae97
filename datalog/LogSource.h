#pragma once

// Which log the Data Log tab shows: the live recording ("Now"), a loaded stored
// log ("Log"), or neither option chosen.
enum class LogSource { None, Live, Stored };
