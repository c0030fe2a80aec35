// Basic engine types: class ids, result codes and the classification values of
// the error log. Result codes are 32-bit signed integers; 0 is success.
#pragma once

#include <cstdint>

typedef int32_t CLASS_ID;

// 8-bit truth value used by the engine's yes/no operations.
typedef unsigned char EBOOL8;

// Class ids of engine objects.
enum : CLASS_ID {
    CID_NO_REGION = 1001,       // what a page block without a region reports as its type
    CID_PAGE_REGION = 3004,     // the page as a whole
    CID_REFUSED_3010 = 3010,    // a family a printer never prints
    CID_LINE_ART = 3101,        // line art and text (asked for one bit deep)
    CID_COLOUR_3102 = 3102,     // colour family
    CID_COLOUR_3103 = 3103,     // colour family
    CID_GRAY_PHOTO = 3104,      // gray photograph
    CID_PALETTE_IMAGE = 3106,   // palette image
    CID_OUTLINES = 3108,        // vector outlines
    CID_REFUSED_3111 = 3111,    // a family a printer never prints
    CID_DESTINATION = 4002,     // a destination; registry class under which destinations are found
    CID_DESTIN_PRINTER = 4209,  // the printer destination
    CID_CHAIN_HEAD = 4213,      // a chain head waiting for a destination to chain to it
};

// Result codes.
enum : int32_t {
    KEL_OK = 0,
    KEL_DONE = (int32_t)0x80000064,
    KEL_WANT_DATA = (int32_t)0x80000065,
    KEL_NO_DATA = (int32_t)0x80000066,
    KEL_MORE = (int32_t)0x80000067,
    KEL_CANCELLED = (int32_t)0x80000068,
    KEL_ERR_GENERAL = (int32_t)0x83000001,  // an engine error raised through ERRCODE::error
    KEL_ERR_BAD_ARGUMENT = (int32_t)0x83000002,
    KEL_ERR_NOT_FOUND = (int32_t)0x83000003,
    KEL_ERR_IO = (int32_t)0x83000004,
    KEL_ERR_UNSUPPORTED = (int32_t)0x83000005,
    KEL_ERR_BAD_STATE = (int32_t)0x83000006,
    KEL_WARN_LOST_OUTLINE = (int32_t)0x83300301,
    KEL_ERR_NO_MEMORY = (int32_t)0x84000001,
};

// Classification values of an error-log entry (see KEL_ERR::log).
typedef int ERR_LABEL;   // 9 internal/failure, 6 user cancellation and end-of-page
typedef int ERR_SHOW;    // 1 recorded, 2 shown to the user
typedef int ERR_ACTION;  // always 2 in this system
typedef int ERR_DETAIL;  // 1 failure, 2 internal error, 3 information, 4 trace

#if defined(__GNUC__)
#define KEL_API __attribute__((visibility("default")))
#define KEL_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define KEL_API
#define KEL_PRINTF(f, a)
#endif
