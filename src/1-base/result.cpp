#include "1-base/result.h"

#include <QCoreApplication>

namespace {
struct ResultText {
    int code;
    const char *text;
};

const ResultText resultTexts[] = {
    {ExtractSucceeded, QT_TRANSLATE_NOOP("ExtractResult", "Extraction succeeded.")},
    {ErrOpenManagerFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot open audio manager file.")},
    {ErrOpenTitlesetFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot open audio titleset information file.")},
    {ErrOpenAobFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot open .AOB file.")},
    {ErrCloseManagerFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot close audio manager file.")},
    {ErrCloseTitlesetFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot close audio titleset information file.")},
    {ErrCloseAobFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot close .AOB file.")},
    {ErrReadTitlesetFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot read audio titleset information file.")},
    {ErrReadAobFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot read .AOB file.")},
    {ErrSeekManagerFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot seek in audio manager file.")},
    {ErrSeekTitlesetFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot seek in audio titleset information file.")},
    {ErrSeekAobFile, QT_TRANSLATE_NOOP("ExtractResult", "Cannot seek in .AOB file.")},
    {ErrCreateOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot create file(s) in destination directory.")},
    {ErrDeleteOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot delete file(s) in destination directory.")},
    {ErrCloseOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot close file(s) in destination directory.")},
    {ErrWriteOutput, QT_TRANSLATE_NOOP("ExtractResult", "Cannot write file(s) to destination directory.")},
    {ErrBlockNotFound, QT_TRANSLATE_NOOP("ExtractResult", "Cannot find block in DVD-Audio zone.")},
    {ErrNoTitleset, QT_TRANSLATE_NOOP("ExtractResult", "Titleset number does not exist.")},
    {ErrAllocConverter, QT_TRANSLATE_NOOP("ExtractResult", "Cannot allocate converter.")},
    {ErrAssignConverter, QT_TRANSLATE_NOOP("ExtractResult", "Cannot assign converter to stream.")},
    {ErrPcmOverrun, QT_TRANSLATE_NOOP("ExtractResult", "PCM buffer overrun during extracion.")},
    {ErrLoadDecoder, QT_TRANSLATE_NOOP("ExtractResult", "Cannot load avcodec.")},
    {ErrInitMlpDecoder, QT_TRANSLATE_NOOP("ExtractResult", "Cannot initialize MLP decoder.")},
    {ErrMlpDecoder, QT_TRANSLATE_NOOP("ExtractResult", "MLP decoder failed during extraction.")},
    {ErrMlpOverrun, QT_TRANSLATE_NOOP("ExtractResult", "MLP buffer overrun during extracion.")},
    {ErrNoZone, QT_TRANSLATE_NOOP("ExtractResult", "Unknown DVD-Audio zone.")},
    {ErrCancelled, QT_TRANSLATE_NOOP("ExtractResult", "Extraction cancelled by user request.")},
    {ErrCreateProcess, QT_TRANSLATE_NOOP("ExtractResult", "Cannot instantiate external program.")},
    {ErrStartProcess, QT_TRANSLATE_NOOP("ExtractResult", "Cannot start external program.")},
    {ErrObjectKind, QT_TRANSLATE_NOOP("ExtractResult", "Cannot extract this type of object.")},
    {ErrDownmix, QT_TRANSLATE_NOOP("ExtractResult", "Cannot downmix to stereo.")},
    {ErrProcessFailed, QT_TRANSLATE_NOOP("ExtractResult", "External program failed.")},
};
} // namespace

QString resultMessage(int code)
{
    for (const ResultText &entry : resultTexts) {
        if (entry.code == code)
            return QCoreApplication::translate("ExtractResult", entry.text);
    }
    return QCoreApplication::translate("ExtractResult", "Unknown error.");
}
