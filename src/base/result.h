#pragma once
// What every step of an extraction reports: a code (0 success, negative failure, the
// values programs and logs know them by) and, for a failure, where it happened.
#include <QMetaType>
#include <QString>

enum class [[nodiscard]] ResultCode : int {
    Succeeded = 0,
    OpenAobFile = -3,
    ReadAobFile = -9,
    CreateOutput = -13,
    DeleteOutput = -14,
    CloseOutput = -15,
    WriteOutput = -16,
    BlockNotFound = -18,
    LoadDecoder = -25,
    InitMlpDecoder = -26,
    MlpDecoder = -27,
    MlpOverrun = -28,
    Cancelled = -30,
    StartProcess = -32,
    ObjectKind = -33,
    Downmix = -34,
    ProcessFailed = -35, // the external command ran but exited non-zero or crashed
    TitleFormats = -36,  // a whole title whose tracks are not all of one stream format
    TitleGap = -37,      // a whole title whose tracks do not follow each other on the disc
    NoAudio = -38,       // an object whose blocks hold no audio pack
    MlpGroupRates = -39, // an MLP stream whose channel groups run at different rates
    BadMode = -40,       // options that neither store, convert nor verify
    NotPcmOrMlp = -41,   // a stream that is neither linear PCM nor MLP
    BadSampleRate = -42, // a header with no rate (0 Hz), or group 2 faster than group 1
    UnknownDepth = -43,  // a header with a sample depth other than 16, 20 or 24 bits
    BadChannels = -44,   // a header with channel counts no channel assignment has
};
Q_DECLARE_METATYPE(ResultCode)

class [[nodiscard]] Result {
public:
    Result() = default;
    // Implicit, so that a step can `return ResultCode::WriteOutput;`.
    Result(ResultCode code) : value(code) {}
    Result(ResultCode code, const QString &where) : value(code), place(where) {}

    [[nodiscard]] ResultCode code() const { return value; }
    [[nodiscard]] bool ok() const { return value == ResultCode::Succeeded; }
    [[nodiscard]] bool failed() const { return value != ResultCode::Succeeded; }
    // The file, block or command the failure is about; empty when the code says it all.
    [[nodiscard]] const QString &where() const { return place; }

    friend bool operator==(const Result &a, ResultCode b) { return a.value == b; }
    friend bool operator!=(const Result &a, ResultCode b) { return a.value != b; }

private:
    ResultCode value = ResultCode::Succeeded;
    QString place;
};
Q_DECLARE_METATYPE(Result)
