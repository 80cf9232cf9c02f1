// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MItem.h"

#include <algorithm>
#include <vector>

namespace pixelary {

namespace {

// Bottom-up merge sort. A comparison that reads the file system may see it change in the
// middle of a sort and contradict itself; every step here is bounded by the runs' ends, so such
// a comparison only gives an odd order, never a read outside the array (as the library sorts'
// unguarded insertion steps can).
void MergeSort(std::vector<MItem*>& nodes, const MItemList::Compare& compare) {
    const std::size_t n = nodes.size();
    std::vector<MItem*> merged(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t low = 0; low < n; low += 2 * width) {
            const std::size_t middle = std::min(low + width, n);
            const std::size_t high = std::min(low + 2 * width, n);
            std::size_t left = low;
            std::size_t right = middle;
            std::size_t out = low;
            while (left < middle && right < high) {
                // the left node goes first unless the right one is strictly smaller: stable
                merged[out++] =
                    compare(nodes[right], nodes[left]) < 0 ? nodes[right++] : nodes[left++];
            }
            while (left < middle) merged[out++] = nodes[left++];
            while (right < high) merged[out++] = nodes[right++];
        }
        nodes.swap(merged);
    }
}

}  // namespace

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
    MergeSort(nodes, compare);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        nodes[k]->Prev = k == 0 ? nullptr : nodes[k - 1];
        nodes[k]->Next = k + 1 == nodes.size() ? nullptr : nodes[k + 1];
    }
    Head = nodes.front();
}

}  // namespace pixelary
