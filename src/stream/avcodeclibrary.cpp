#include "stream/avcodeclibrary.h"

#include <QLibrary>

namespace {

// Fills every member the list names from the library; false at the first one missing.
template <typename Function>
[[nodiscard]] bool resolve(QLibrary &library, const char *name, Function *member, QString *error)
{
    *member = reinterpret_cast<Function>(library.resolve(name));
    if (!*member)
        *error = QStringLiteral("%1: no function %2").arg(library.fileName(), QLatin1String(name));
    return *member != nullptr;
}

[[nodiscard]] bool open(QLibrary &library, QString *error)
{
    if (library.load())
        return true;
    *error = library.errorString();
    return false;
}

QString versioned(const char *name, int major)
{
    return QStringLiteral("lib%1.so.%2").arg(QLatin1String(name)).arg(major);
}

} // namespace

bool loadAVCodecLibrary(const QString &codecFile, const QString &utilFile,
                        AVCodecLibrary *functions, QString *error)
{
    // Never unloaded: decoders of this run keep using them, and a library that pulls
    // in others is not safe to unload.
    QLibrary util(utilFile), codec(codecFile);
    if (!open(util, error) || !open(codec, error))
        return false;
    bool ok = true;
#define KESTROVA_AV_RESOLVE(name) ok = ok && resolve(codec, #name, &functions->name, error);
    KESTROVA_AVCODEC_FUNCTIONS(KESTROVA_AV_RESOLVE)
#undef KESTROVA_AV_RESOLVE
#define KESTROVA_AV_RESOLVE(name) ok = ok && resolve(util, #name, &functions->name, error);
    KESTROVA_AVUTIL_FUNCTIONS(KESTROVA_AV_RESOLVE)
#undef KESTROVA_AV_RESOLVE
    return ok;
}

const AVCodecLibrary *avcodecLibrary(QString *error)
{
    struct Loaded {
        AVCodecLibrary functions;
        QString error;
        bool ok = false;
    };
    // Loaded once, by whichever thread asks first; the others wait for it.
    static const Loaded loaded = [] {
        Loaded attempt;
        attempt.ok = loadAVCodecLibrary(versioned("avcodec", LIBAVCODEC_VERSION_MAJOR),
                                        versioned("avutil", LIBAVUTIL_VERSION_MAJOR),
                                        &attempt.functions, &attempt.error);
        return attempt;
    }();
    if (!loaded.ok && error)
        *error = loaded.error;
    return loaded.ok ? &loaded.functions : nullptr;
}
