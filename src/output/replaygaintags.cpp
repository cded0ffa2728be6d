#include "output/replaygaintags.h"

#include <FLAC/metadata.h>
#include <QFile>
#include <memory>

namespace {
struct ChainDeleter {
    void operator()(FLAC__Metadata_Chain *chain) const { FLAC__metadata_chain_delete(chain); }
};
struct IteratorDeleter {
    void operator()(FLAC__Metadata_Iterator *iterator) const { FLAC__metadata_iterator_delete(iterator); }
};

Result failure(const QString &path, FLAC__Metadata_Chain *chain)
{
    return Result(ResultCode::WriteOutput,
                  QStringLiteral("%1: %2").arg(path, QString::fromLatin1(
                                                         FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain)])));
}
} // namespace

Result writeReplayGainTags(const QString &flacPath, const QStringList &comments)
{
    const std::unique_ptr<FLAC__Metadata_Chain, ChainDeleter> chain(FLAC__metadata_chain_new());
    const std::unique_ptr<FLAC__Metadata_Iterator, IteratorDeleter> it(FLAC__metadata_iterator_new());
    if (!chain || !it)
        return Result(ResultCode::WriteOutput, QStringLiteral("%1: out of memory").arg(flacPath));
    const QByteArray path = QFile::encodeName(flacPath);
    if (!FLAC__metadata_chain_read(chain.get(), path.constData()))
        return failure(flacPath, chain.get());
    FLAC__metadata_iterator_init(it.get(), chain.get());
    FLAC__StreamMetadata *tags = nullptr;
    do {
        if (FLAC__metadata_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_VORBIS_COMMENT)
            tags = FLAC__metadata_iterator_get_block(it.get());
    } while (!tags && FLAC__metadata_iterator_next(it.get()));
    if (!tags) {
        // The file has none of its own: one goes after STREAMINFO.
        FLAC__metadata_iterator_init(it.get(), chain.get());
        tags = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
        if (!tags || !FLAC__metadata_iterator_insert_block_after(it.get(), tags))
            return failure(flacPath, chain.get());
    }
    for (const QString &comment : comments) {
        const QByteArray name = comment.section(QLatin1Char('='), 0, 0).toUtf8();
        const QByteArray value = comment.section(QLatin1Char('='), 1).toUtf8();
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        if (FLAC__metadata_object_vorbiscomment_remove_entries_matching(tags, name.constData()) < 0
            || !FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name.constData(), value.constData())
            || !FLAC__metadata_object_vorbiscomment_append_comment(tags, entry, /*copy=*/false))
            return Result(ResultCode::WriteOutput, QStringLiteral("%1: the tag %2 cannot be set").arg(flacPath, comment));
    }
    // The padding the file was written with takes the longer comments in place.
    FLAC__metadata_chain_sort_padding(chain.get());
    if (!FLAC__metadata_chain_write(chain.get(), /*use_padding=*/true, /*preserve_file_stats=*/false))
        return failure(flacPath, chain.get());
    return ResultCode::Succeeded;
}
