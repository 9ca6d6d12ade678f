// Atomic access to plain words: fields whose layout is fixed (the camera's
// setting blocks, a mapped shared-memory entry) and so cannot be
// std::atomic, yet are read by another thread or process while they change.
// Every such access goes through these calls; a field read or written this
// way says so in its declaration. Relaxed calls give no ordering, only an
// untorn value; the acquire/release pairs publish what was written before.
#pragma once

namespace kvx::platform {

// The value's type follows the word's, so that a literal or a bool stores
// without a cast.
template <typename T>
struct WordOf {
    using type = T;
};

// Loads.
template <typename T>
T LoadRelaxed(const T* word) { return __atomic_load_n(word, __ATOMIC_RELAXED); }
template <typename T>
T LoadAcquire(const T* word) { return __atomic_load_n(word, __ATOMIC_ACQUIRE); }

// Stores.
template <typename T>
void StoreRelaxed(T* word, typename WordOf<T>::type value) { __atomic_store_n(word, value, __ATOMIC_RELAXED); }
template <typename T>
void StoreRelease(T* word, typename WordOf<T>::type value) { __atomic_store_n(word, value, __ATOMIC_RELEASE); }

// Adds and returns the sum.
template <typename T>
T AddAcqRel(T* word, typename WordOf<T>::type amount) { return __atomic_add_fetch(word, amount, __ATOMIC_ACQ_REL); }

// Stores `desired` when the word holds *expected; otherwise puts what it
// holds into *expected. True when it stored.
template <typename T>
bool CompareExchangeAcqRel(T* word, T* expected, typename WordOf<T>::type desired) {
    return __atomic_compare_exchange_n(word, expected, desired, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE);
}

}  // namespace kvx::platform
