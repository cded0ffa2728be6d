#pragma once
// The in-memory tree of a DVD-Audio zone: zone, titlesets, titles, tracks, indexes. Each
// node owns its children and knows its parent, so a consumer walks down from the zone
// or up from any node.
#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

#include "base/pts.h"
#include "base/streaminfo.h"

enum DVDAKind : qint32 {
    KindIndex = 2,
    KindTrack = 3,
    KindTitle = 4,
    KindTitleset = 5,
    KindZone = 6,
};

// 90 kHz ticks as "hh:mm:ss", rounded to the nearest second (a half rounds up).
[[nodiscard]] QString formatPtsTime(quint32 pts);

class DVDATitleset;

class DVDAObject {
public:
    DVDAObject() = default;
    DVDAObject(const DVDAObject &) = delete;
    DVDAObject &operator=(const DVDAObject &) = delete;
    virtual ~DVDAObject();
    [[nodiscard]] virtual DVDAKind kind() const = 0;

    // The node this one belongs to; null for the zone (and for a node not yet placed).
    [[nodiscard]] DVDAObject *parent() const { return up; }
    // This node's place among its parent's children, from 0; -1 for the zone.
    [[nodiscard]] int position() const;
    // The nearest node of that kind at or above this one; null when there is none.
    [[nodiscard]] DVDAObject *ancestor(DVDAKind wanted) const;
    // The titleset this node belongs to; null for the zone.
    [[nodiscard]] DVDATitleset *titleset() const;

private:
    template <typename T>
    friend class Children;
    DVDAObject *up = nullptr;
};

// A node's children: owned, in order, each told its parent when it is added. Indexing
// and iteration give plain pointers.
template <typename T>
class Children {
public:
    explicit Children(DVDAObject *owner) : parentNode(owner) {}
    Children(const Children &) = delete;
    Children &operator=(const Children &) = delete;

    T *add(std::unique_ptr<T> child)
    {
        child->up = parentNode;
        items.push_back(std::move(child));
        return items.back().get();
    }
    void reserve(size_t count) { items.reserve(count); }

    [[nodiscard]] size_t size() const { return items.size(); }
    [[nodiscard]] bool empty() const { return items.empty(); }
    T *operator[](size_t k) const { return items[k].get(); }
    [[nodiscard]] T *at(size_t k) const { return items.at(k).get(); }
    [[nodiscard]] T *front() const { return items.front().get(); }
    [[nodiscard]] T *back() const { return items.back().get(); }
    [[nodiscard]] int indexOf(const DVDAObject *node) const
    {
        for (size_t k = 0; k < items.size(); ++k)
            if (items[k].get() == node)
                return int(k);
        return -1;
    }

    class const_iterator {
    public:
        using Base = typename std::vector<std::unique_ptr<T>>::const_iterator;
        explicit const_iterator(Base at) : it(at) {}
        T *operator*() const { return it->get(); }
        const_iterator &operator++()
        {
            ++it;
            return *this;
        }
        bool operator!=(const const_iterator &other) const { return it != other.it; }
        bool operator==(const const_iterator &other) const { return it == other.it; }

    private:
        Base it;
    };
    [[nodiscard]] const_iterator begin() const { return const_iterator(items.begin()); }
    [[nodiscard]] const_iterator end() const { return const_iterator(items.end()); }

private:
    DVDAObject *parentNode;
    std::vector<std::unique_ptr<T>> items;
};

// A track or an index: a run of blocks of its titleset's AOB area.
class AOBObject : public DVDAObject {
public:
    [[nodiscard]] virtual QString timeText() const = 0;
    [[nodiscard]] virtual quint32 timePts() const = 0;
    [[nodiscard]] virtual quint32 firstBlock() const = 0;
    [[nodiscard]] virtual quint32 lastBlock() const = 0;

    StreamInfo streamInfo;
};

class DVDASectorPointer;

class DVDATrack : public AOBObject {
public:
    [[nodiscard]] DVDAKind kind() const override { return KindTrack; }
    [[nodiscard]] QString timeText() const override;
    [[nodiscard]] quint32 timePts() const override;
    [[nodiscard]] quint32 firstBlock() const override;
    [[nodiscard]] quint32 lastBlock() const override;
    // Gives each index its share of the track's duration by block count. Called once the
    // indexes are in place, so an index knows its duration without looking up its track.
    void shareLength();
    // Where the track begins in the title's audio, in 90 kHz ticks from the first
    // track's start: the lengths of the tracks before it (track record bytes 10-13, the
    // only time a track record defines; its bytes 5-9 are unused, and authoring tools
    // fill them with anything).
    [[nodiscard]] quint64 titleStartPts() const;

    Children<DVDASectorPointer> indexes{this};
    qint32 firstIndexNumber = 0;
    qint32 number = 0;
    quint32 lengthPts = 0;
};

// An index of a track (the disc calls it a sector pointer).
class DVDASectorPointer : public AOBObject {
public:
    [[nodiscard]] DVDAKind kind() const override { return KindIndex; }
    [[nodiscard]] QString timeText() const override;
    [[nodiscard]] quint32 timePts() const override; // the track's duration shared out by block count
    [[nodiscard]] quint32 firstBlock() const override { return first; }
    [[nodiscard]] quint32 lastBlock() const override { return last; }
    // Where the index begins in its title: its track's start and the shares of the
    // indexes before it in the track.
    [[nodiscard]] quint64 titleStartPts() const;

    qint32 number = 0;
    quint32 first = 0;
    quint32 last = 0;
    quint32 sharePts = 0; // set by the owning track's shareLength; 0 outside a track
};

class DVDATitle : public DVDAObject {
public:
    [[nodiscard]] DVDAKind kind() const override { return KindTitle; }
    [[nodiscard]] int number() const { return numberOf(titleId); }
    [[nodiscard]] int tag() const { return tagOf(titleId); }
    // The same from a title id held elsewhere (the extraction's progress record).
    [[nodiscard]] static int numberOf(qint32 id) { return id & 0x7F; }
    [[nodiscard]] static int tagOf(qint32 id) { return (id >> 7) & 1; }

    Children<DVDATrack> tracks{this};
    qint32 titleId = 0;      // bits 0-6 the title number, bit 7 the tag
    quint32 lengthPts = 0;
};

// Tree items and the extraction's queued signals carry plain node pointers.
Q_DECLARE_METATYPE(DVDAObject *)
