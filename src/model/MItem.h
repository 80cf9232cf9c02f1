// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace pixelary {

// Node of the program's intrusive doubly linked list; every collected class derives from it.
class MItem {
  public:
    MItem() = default;
    virtual ~MItem() = default;
    MItem(const MItem&) = delete;
    MItem& operator=(const MItem&) = delete;

    MItem* Prev = nullptr;
    MItem* Next = nullptr;
};

// Intrusive list that owns its nodes: removing a node destroys it. Positions are zero-based.
class MItemList {
  public:
    using Compare = std::function<int(const MItem*, const MItem*)>;

    MItemList() = default;
    virtual ~MItemList() { Clear(); }
    MItemList(const MItemList&) = delete;
    MItemList& operator=(const MItemList&) = delete;

    int Count() const;
    // Node at position i; any i of 0 or less yields Head; none at or beyond the end.
    MItem* Item(int i) const;
    // Takes ownership; the node becomes the last.
    void Append(MItem* node);
    // Inserts a chain of one or more linked nodes before position i, or appends it when there is
    // no node i. Takes ownership of the chain.
    void Insert(int i, MItem* chain);
    // Unlinks and destroys the node at position i; nothing for a position past the end.
    void Delete(int i);
    // Unlinks the node without destroying it; the caller takes ownership.
    void Unlink(MItem* node);
    void Clear();
    // Sorts by compare (negative: a before b; equal nodes may come in any order), relinking the
    // chain in sorted order.
    void Sort(const Compare& compare);

    MItem* Head = nullptr;

  private:
    MItem* Last() const;
};

}  // namespace pixelary
