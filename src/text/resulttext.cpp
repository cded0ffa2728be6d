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
    {ResultCode::AllocConverter, QT_TRANSLATE_NOOP("ExtractResult", "Cannot allocate converter.")},
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
