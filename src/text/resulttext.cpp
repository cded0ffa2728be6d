#include "text/resulttext.h"

#include <QCoreApplication>

namespace {
struct ResultText {
    ResultCode code;
    const char *text;
};

const ResultText resultTexts[] = {
    {ResultCode::Succeeded, QT_TRANSLATE_NOOP("ExtractResult", "Extraction succeeded.")},
    {ResultCode::OpenAobFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot open .AOB file.")},
    {ResultCode::ReadAobFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot read .AOB file.")},
    {ResultCode::CreateOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot create file(s) in destination directory.")},
    {ResultCode::DeleteOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot delete file(s) in destination directory.")},
    {ResultCode::CloseOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot close file(s) in destination directory.")},
    {ResultCode::WriteOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot write file(s) to destination directory.")},
    {ResultCode::BlockNotFound, QT_TRANSLATE_NOOP("ExtractResult", "Cannot find block in DVD-Audio zone.")},
    {ResultCode::LoadDecoder, QT_TRANSLATE_NOOP("ExtractResult", "Cannot load avcodec.")},
    {ResultCode::InitMlpDecoder, QT_TRANSLATE_NOOP("ExtractResult", "Cannot initialize MLP decoder.")},
    {ResultCode::MlpDecoder, QT_TRANSLATE_NOOP("ExtractResult", "MLP decoder failed during extraction.")},
    {ResultCode::MlpOverrun, QT_TRANSLATE_NOOP("ExtractResult", "MLP buffer overrun during extracion.")},
    {ResultCode::Cancelled, QT_TRANSLATE_NOOP("ExtractResult", "Extraction cancelled by user request.")},
    {ResultCode::StartProcess, QT_TRANSLATE_NOOP("ExtractResult", "Cannot start external program.")},
    {ResultCode::ObjectKind, QT_TRANSLATE_NOOP("ExtractResult", "Cannot extract this type of object.")},
    {ResultCode::Downmix, QT_TRANSLATE_NOOP("ExtractResult", "Cannot downmix to stereo.")},
    {ResultCode::ProcessFailed, QT_TRANSLATE_NOOP("ExtractResult", "External program failed.")},
    {ResultCode::TitleFormats, QT_TRANSLATE_NOOP("ExtractResult", "Cannot join tracks of different formats into one file.")},
    {ResultCode::TitleGap, QT_TRANSLATE_NOOP("ExtractResult", "Cannot join tracks that do not follow each other on the disc.")},
    {ResultCode::NoAudio, QT_TRANSLATE_NOOP("ExtractResult", "No audio in the blocks of the object.")},
    {ResultCode::MlpGroupRates, QT_TRANSLATE_NOOP("ExtractResult", "Cannot decode MLP whose channel groups run at different sample rates; --store keeps the stream.")},
    {ResultCode::BadMode, QT_TRANSLATE_NOOP("ExtractResult", "No way of extraction chosen: store, convert or verify.")},
    {ResultCode::NotPcmOrMlp, QT_TRANSLATE_NOOP("ExtractResult", "Cannot decode a stream that is neither linear PCM nor MLP; --store keeps it.")},
    {ResultCode::BadSampleRate, QT_TRANSLATE_NOOP("ExtractResult", "The stream's header gives no usable sample rate (0 Hz, or group 2 faster than group 1).")},
    {ResultCode::UnknownDepth, QT_TRANSLATE_NOOP("ExtractResult", "The stream's header gives a sample depth other than 16, 20 or 24 bits.")},
    {ResultCode::BadChannels, QT_TRANSLATE_NOOP("ExtractResult", "The stream's header gives channel counts that no channel assignment has.")},
};
} // namespace

QString resultMessage(ResultCode code)
{
    for (const ResultText &entry : resultTexts) {
        if (entry.code == code)
            return QCoreApplication::translate("ExtractResult", entry.text);
    }
    return QCoreApplication::translate("ExtractResult", "Unknown error.");
}

QString resultText(const Result &result)
{
    const QString message = resultMessage(result.code());
    return result.where().isEmpty() ? message : QStringLiteral("%1 (%2)").arg(message, result.where());
}
