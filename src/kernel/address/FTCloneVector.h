#pragma once

#include <memory>
#include <utility>
#include <vector>

// An owning list of polymorphic nodes whose copy is deep: each element is copied by its own
// clone(), so the copy holds nodes of the same classes, in the same order, owned by the copy
// alone. An element whose clone() gives nothing (a class that cannot be copied) is left out of
// the copy. Assignment clones first and then lets go of the old elements, so a list may be
// assigned from a node it holds.
//
// Elements hold no link to the list's owner; a type whose elements need one re-linked after a
// copy must do it here, after the clones are made, not in the owner's copy.
template <typename T> class FTCloneVector
{
public:
    using Items = std::vector<std::unique_ptr<T>>;

    FTCloneVector() = default;
    FTCloneVector(const FTCloneVector &other)
    {
        m_items.reserve(other.m_items.size());
        for (const std::unique_ptr<T> &item : other.m_items) {
            if (std::unique_ptr<T> copy = item->clone())
                m_items.push_back(std::move(copy));
        }
    }
    FTCloneVector &operator=(const FTCloneVector &other)
    {
        FTCloneVector copy(other);
        m_items.swap(copy.m_items);
        return *this;
    }
    FTCloneVector(FTCloneVector &&) noexcept = default;
    FTCloneVector &operator=(FTCloneVector &&) noexcept = default;
    ~FTCloneVector() = default;

    bool empty() const { return m_items.empty(); }
    typename Items::size_type size() const { return m_items.size(); }
    const std::unique_ptr<T> &front() const { return m_items.front(); }
    const std::unique_ptr<T> &at(typename Items::size_type index) const { return m_items.at(index); }
    std::unique_ptr<T> &operator[](typename Items::size_type index) { return m_items[index]; }
    void push_back(std::unique_ptr<T> item) { m_items.push_back(std::move(item)); }

    typename Items::iterator begin() { return m_items.begin(); }
    typename Items::iterator end() { return m_items.end(); }
    typename Items::const_iterator begin() const { return m_items.begin(); }
    typename Items::const_iterator end() const { return m_items.end(); }

private:
    Items m_items;
};
