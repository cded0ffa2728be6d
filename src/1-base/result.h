#pragma once
// Every step of an extraction reports a signed result code: 0 success, negative failure.
#include <QString>

enum ExtractResult : int {
    ExtractSucceeded = 0,
    ErrOpenManagerFile = -1,
    ErrOpenTitlesetFile = -2,
    ErrOpenAobFile = -3,
    ErrCloseManagerFile = -4,
    ErrCloseTitlesetFile = -5,
    ErrCloseAobFile = -6,
    ErrReadTitlesetFile = -8,
    ErrReadAobFile = -9,
    ErrSeekManagerFile = -10,
    ErrSeekTitlesetFile = -11,
    ErrSeekAobFile = -12,
    ErrCreateOutput = -13,
    ErrDeleteOutput = -14,
    ErrCloseOutput = -15,
    ErrWriteOutput = -16,
    ErrBlockNotFound = -18,
    ErrNoTitleset = -19,
    ErrAllocConverter = -20,
    ErrAssignConverter = -21,
    ErrPcmOverrun = -22,
    ErrLoadDecoder = -25,
    ErrInitMlpDecoder = -26,
    ErrMlpDecoder = -27,
    ErrMlpOverrun = -28,
    ErrNoZone = -29,
    ErrCancelled = -30,
    ErrCreateProcess = -31,
    ErrStartProcess = -32,
    ErrObjectKind = -33,
    ErrDownmix = -34,
    ErrProcessFailed = -35, // the external command ran but exited non-zero or crashed
};

// The fixed message of a code; "Unknown error." for an unassigned one.
QString resultMessage(int code);
