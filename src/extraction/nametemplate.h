#pragma once
// A name template's placeholders and how they expand. "%track%" is a field's value;
// "%tracktitle|Track %track%%" is the value, or where it is empty the text after '|' up to
// the closing '%', its own placeholders expanded in turn.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class DVDAObject;
struct DiscMetadata;

// Every placeholder, "%kind%" to "%discnumber%".
[[nodiscard]] QStringList namePlaceholders();
// The placeholders whose values come from the disc's metadata file: a name from an empty
// one is refused unless the template gives a fallback.
[[nodiscard]] QStringList metadataPlaceholders();
// The first "%word%" (or "%word|") of the template that is no placeholder; empty when none.
[[nodiscard]] QString unknownPlaceholder(const QString &nameTemplate);

// The template expanded: each placeholder that value knows (by its name without the '%')
// replaced, the others left as they are.
[[nodiscard]] QString expandTemplate(const QString &nameTemplate,
                                     const std::function<std::optional<QString>(const QString &name)> &value);

// The object's fields: %kind% ("track", "index", "title"), %titleset%, %title%, %track%,
// %index% (two digits; empty where the object has none), %tag%, %volume% (the disc image's
// label; empty for a folder), and from the metadata %album%, %albumartist%, %artist%,
// %tracktitle%, %date%, %discnumber%. None for the file's own (%channels% ...).
[[nodiscard]] std::optional<QString> objectField(const DVDAObject *object, const DiscMetadata *metadata,
                                                 const QString &name);

// The first metadata placeholder of the template whose value is empty for the object
// and that has no fallback ("%album%"); empty when there is none.
[[nodiscard]] QString emptyTemplateField(const QString &nameTemplate, const DVDAObject *object,
                                         const DiscMetadata *metadata);
