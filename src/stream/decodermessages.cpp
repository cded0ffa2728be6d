#include "stream/decodermessages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "stream/avcodeclibrary.h"
#include "stream/decoderlog.h"

namespace {

// Which sink each attached codec context belongs to. Held while a message is delivered,
// so a sink cannot go away under a message being counted.
std::mutex routesLock;
std::map<const void *, DecoderMessages *> &routes()
{
    static std::map<const void *, DecoderMessages *> table;
    return table;
}

// Installed only once the libraries are loaded, so they are there whenever it runs.
void routeMessage(void *context, int level, const char *format, va_list arguments)
{
    const AVCodecLibrary *av = avcodecLibrary();
    std::lock_guard<std::mutex> guard(routesLock);
    const auto found = routes().find(context);
    if (found == routes().end()) {
        av->av_log_default_callback(context, level, format, arguments);
        return;
    }
    DecoderMessages *sink = found->second;
    char text[1024];
    va_list copy;
    va_copy(copy, arguments);
    std::vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
    // A decoder's messages are counted, and logged when asked, but never printed: on a
    // terminal they would break the status line, and from a menu nobody sees them.
    sink->receive(level & 0xFF, text); // the upper bits carry colour hints only
}

void installRouting()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        if (const AVCodecLibrary *av = avcodecLibrary())
            av->av_log_set_callback(routeMessage);
    });
}

} // namespace

DecoderMessages::DecoderMessages(bool toLogFile) : toFile(toLogFile)
{
    installRouting();
}

DecoderMessages::~DecoderMessages()
{
    std::lock_guard<std::mutex> guard(routesLock);
    for (auto it = routes().begin(); it != routes().end();)
        it = it->second == this ? routes().erase(it) : std::next(it);
}

void DecoderMessages::attach(const void *context)
{
    if (!context)
        return;
    std::lock_guard<std::mutex> guard(routesLock);
    routes()[context] = this;
}

void DecoderMessages::detach(const void *context)
{
    std::lock_guard<std::mutex> guard(routesLock);
    const auto found = routes().find(context);
    if (found != routes().end() && found->second == this)
        routes().erase(found);
}

DecoderMessages::Kind DecoderMessages::classify(const char *text)
{
    // libavcodec's own texts; the parser writes "Parity check failed." with a capital.
    static const struct {
        const char *words;
        Kind kind;
    } known[] = {
        {"arity check failed", ParityError},
        {"checksum failed", ChecksumError},
        {"Lossless check failed", LosslessCheckError},
        {"restart header checksum error", RestartHeaderError},
        {"major sync info header checksum error", MajorSyncError},
        {"Stream parameters not seen", UndecodableUnit},
    };
    for (const auto &k : known)
        if (std::strstr(text, k.words))
            return k.kind;
    return KINDS;
}

void DecoderMessages::add(Kind kind)
{
    ++counts[kind];
    if (firstDamage < 0)
        firstDamage = position;
}

void DecoderMessages::receive(int level, const char *text)
{
    const Kind kind = classify(text);
    if (kind != KINDS)
        add(kind);
    if (toFile)
        writeDecoderLog(level, text);
}
