#pragma once
// libavcodec and libavutil, loaded when the first MLP stream is decoded rather than when
// the program starts. With the dozens of libraries they pull in, they cost most of the
// start-up of every run, which `info`, Store and linear PCM never need. The headers give
// the types; the major versions the headers belong to give the file names
// (libavcodec.so.59, libavutil.so.57).
#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

// Every function the program calls, each member named like the function it holds.
#define KESTROVA_AVCODEC_FUNCTIONS(F)                                                       \
    F(avcodec_alloc_context3) F(avcodec_find_decoder) F(avcodec_free_context)              \
    F(avcodec_open2) F(avcodec_receive_frame) F(avcodec_send_packet) F(av_packet_alloc)    \
    F(av_packet_free) F(av_parser_close) F(av_parser_init) F(av_parser_parse2)
#define KESTROVA_AVUTIL_FUNCTIONS(F)                                                        \
    F(av_dict_free) F(av_dict_set) F(av_frame_alloc) F(av_frame_free) F(av_frame_unref)    \
    F(av_log) F(av_log_default_callback) F(av_log_set_callback)

struct AVCodecLibrary {
#define KESTROVA_AV_MEMBER(name) decltype(&::name) name = nullptr;
    KESTROVA_AVCODEC_FUNCTIONS(KESTROVA_AV_MEMBER)
    KESTROVA_AVUTIL_FUNCTIONS(KESTROVA_AV_MEMBER)
#undef KESTROVA_AV_MEMBER
};

// The libraries of the installed FFmpeg, loaded on the first call and kept for the rest
// of the run; nullptr when they or one of the functions cannot be found, and every
// later call says the same. The reason goes to *error.
[[nodiscard]] const AVCodecLibrary *avcodecLibrary(QString *error = nullptr);

// Loads the two libraries by name (a file name or a path, as QLibrary takes them) into
// *functions; false with the reason in *error when a library or a function is missing.
[[nodiscard]] bool loadAVCodecLibrary(const QString &codecFile, const QString &utilFile,
                                      AVCodecLibrary *functions, QString *error);
