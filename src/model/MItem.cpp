// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MItem.h"

#include <algorithm>
#include <vector>

namespace pixelary {

int MItemList::Count() const {
    int count = 0;
    for (MItem* node = Head; node != nullptr; node = node->Next) ++count;
    return count;
}

MItem* MItemList::Item(int i) const {
    MItem* node = Head;
    for (; node != nullptr && i > 0; --i) node = node->Next;
    return node;
}

MItem* MItemList::Last() const {
    MItem* node = Head;
    while (node != nullptr && node->Next != nullptr) node = node->Next;
    return node;
}

void MItemList::Append(MItem* node) {
    if (node == nullptr) return;
    MItem* last = Last();
    node->Prev = last;
    node->Next = nullptr;
    if (last == nullptr) {
        Head = node;
    } else {
        last->Next = node;
    }
}

void MItemList::Insert(int i, MItem* chain) {
    if (chain == nullptr) return;
    MItem* before = i < 0 ? nullptr : Item(i);
    if (i >= 0 && before == nullptr) {
        MItem* last = Last();
        chain->Prev = last;
        if (last == nullptr)
            Head = chain;
        else
            last->Next = chain;
        return;
    }
    if (before == nullptr) before = Head;  // negative positions count as 0
    MItem* chain_end = chain;
    while (chain_end->Next != nullptr) chain_end = chain_end->Next;
    chain->Prev = before == nullptr ? nullptr : before->Prev;
    chain_end->Next = before;
    if (before == nullptr) {
        Head = chain;
        return;
    }
    if (before->Prev == nullptr)
        Head = chain;
    else
        before->Prev->Next = chain;
    before->Prev = chain_end;
}

void MItemList::Unlink(MItem* node) {
    if (node == nullptr) return;
    if (node->Prev == nullptr)
        Head = node->Next;
    else
        node->Prev->Next = node->Next;
    if (node->Next != nullptr) node->Next->Prev = node->Prev;
    node->Prev = node->Next = nullptr;
}

void MItemList::Delete(int i) {
    if (i < 0 || Head == nullptr) return;
    MItem* node = Item(i);
    if (node == nullptr) return;
    Unlink(node);
    delete node;
}

void MItemList::Clear() {
    MItem* node = Head;
    Head = nullptr;
    while (node != nullptr) {
        MItem* next = node->Next;
        delete node;
        node = next;
    }
}

void MItemList::Sort(const Compare& compare) {
    if (Head == nullptr) return;
    std::vector<MItem*> nodes;
    for (MItem* node = Head; node != nullptr; node = node->Next) nodes.push_back(node);
    // A comparison that reads the file system may see it change in the middle of a sort; a
    // merge sort stays within the array even when the order it is given is not consistent.
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](const MItem* a, const MItem* b) { return compare(a, b) < 0; });
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        nodes[k]->Prev = k == 0 ? nullptr : nodes[k - 1];
        nodes[k]->Next = k + 1 == nodes.size() ? nullptr : nodes[k + 1];
    }
    Head = nodes.front();
}

}  // namespace pixelary
