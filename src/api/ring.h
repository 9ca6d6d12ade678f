// CTRing: a circular doubly linked list with a movable cursor.
//
//        +--> [A] <--> [B] <--> [C] <--+
//        |                             |
//        +-----------------------------+
//                   ^ cursor
//
// A new element goes in just before the cursor and becomes the cursor. A
// find walks from the cursor towards its next links and leaves the cursor on
// the match, so repeated lookups of the same element cost one comparison; a
// failed find leaves it on the node that was last in the pass (the
// predecessor of where it began).
//
// Not thread-safe: the owner holds its lock around every operation, because
// even a find moves the cursor.
#pragma once

#include <cstdint>

namespace kvx {

template <typename T>
class CTRing {
public:
    struct Node {
        T data;
        Node* prev;
        Node* next;
    };

    CTRing() = default;
    CTRing(const CTRing&) = delete;
    CTRing& operator=(const CTRing&) = delete;
    virtual ~CTRing() { Clear(); }

    virtual void AddElement(const T& element) {
        Node* node = new Node{element, nullptr, nullptr};
        if (!cursor_) {
            node->prev = node->next = node;
            count_ = 1;
        } else {
            ++count_;
            node->prev = cursor_->prev;
            node->next = cursor_;
            cursor_->prev->next = node;
            cursor_->prev = node;
        }
        cursor_ = node;
    }

    // Moves the cursor to the first node, starting at the cursor, for which
    // match(data) holds. Returns that node, or null after a full pass.
    template <typename Match>
    Node* Find(Match match) {
        if (!cursor_) return nullptr;
        Node* last = cursor_->prev;
        for (;;) {
            if (match(cursor_->data)) return cursor_;
            if (cursor_ == last) return nullptr;
            cursor_ = cursor_->next;
        }
    }

    // Visits every node from the cursor on without moving the cursor.
    template <typename Visit>
    void ForEach(Visit visit) const {
        if (!cursor_) return;
        const Node* node = cursor_;
        do {
            visit(node->data);
            node = node->next;
        } while (node != cursor_);
    }

    template <typename Visit>
    void ForEachMutable(Visit visit) {
        if (!cursor_) return;
        Node* node = cursor_;
        do {
            visit(node->data);
            node = node->next;
        } while (node != cursor_);
    }

    // Unlinks and frees the cursor node; the cursor moves to its successor.
    void RemoveCursor() {
        Node* node = cursor_;
        if (!node) return;
        if (node->next == node) {
            cursor_ = nullptr;
            count_ = 0;
        } else {
            --count_;
            node->prev->next = node->next;
            node->next->prev = node->prev;
            cursor_ = node->next;
        }
        delete node;
    }

    void Clear() {
        while (cursor_) RemoveCursor();
    }

    Node* cursor() const { return cursor_; }
    uint32_t count() const { return count_; }

private:
    Node* cursor_ = nullptr;
    uint32_t count_ = 0;
};

}  // namespace kvx
