#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// Items grouped by animal, the animals in the order of their first row.
template <typename Item> class animal_groups
{
public:
    struct group
    {
        QString id;
        std::vector<std::unique_ptr<Item>> items;
        QString tag; // tag-local-identifier of its first row that names one
    };

    void add(const QByteArray& animal, std::unique_ptr<Item> item)
    {
        groups_[find_or_add(animal)].content.items.push_back(std::move(item));
    }

    // The animal's group, made (empty) at the end if it is new; its position.
    std::size_t find_or_add(const QByteArray& animal)
    {
        if (last_ < groups_.size() && groups_[last_].key == animal)
            return last_;
        const auto found = index_.constFind(animal);
        if (found != index_.constEnd())
            return last_ = *found;
        last_ = groups_.size();
        index_.insert(animal, last_);
        groups_.push_back({animal, {QString::fromUtf8(animal), {}, QString()}});
        return last_;
    }

    std::size_t size() const { return groups_.size(); }
    group& operator[](std::size_t i) { return groups_[i].content; }

    // The first animal's items (none when empty).
    std::vector<std::unique_ptr<Item>>& first()
    {
        return groups_.empty() ? none_ : groups_.front().content.items;
    }

private:
    struct keyed
    {
        QByteArray key;
        group content;
    };
    std::vector<keyed> groups_;
    QHash<QByteArray, std::size_t> index_; // each key's position in groups_
    std::vector<std::unique_ptr<Item>> none_;
    std::size_t last_ = 0; // the group found last
};
