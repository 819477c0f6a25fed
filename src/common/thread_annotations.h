// Thread-safety annotations: clang's -Wthread-safety checks at compile time
// that guarded data is touched only with its lock held and that locks are
// taken and released in pairs. Under other compilers they expand to nothing.
// Checked by the clang build with ZEB_THREAD_SAFETY_ANALYSIS=ON.
#pragma once

#if defined(__clang__)
#define ZEB_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ZEB_THREAD_ANNOTATION(x)
#endif

// A type that is a lock (a capability); the text names it in warnings.
#define CAPABILITY(x) ZEB_THREAD_ANNOTATION(capability(x))
// An RAII type that holds a lock for its lifetime.
#define SCOPED_CAPABILITY ZEB_THREAD_ANNOTATION(scoped_lockable)
// The data member may be read or written only with the lock held.
#define GUARDED_BY(x) ZEB_THREAD_ANNOTATION(guarded_by(x))
// Where both are held, this mutex is taken after the named ones, never before.
#define ACQUIRED_AFTER(...) ZEB_THREAD_ANNOTATION(acquired_after(__VA_ARGS__))
// What the pointer member points to may be touched only with the lock held.
#define PT_GUARDED_BY(x) ZEB_THREAD_ANNOTATION(pt_guarded_by(x))
// The caller must hold the lock(s).
#define REQUIRES(...) ZEB_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
// The caller must not hold the lock(s): the function takes them itself.
#define EXCLUDES(...) ZEB_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
// The function takes / releases the lock(s) (on a lock type: the object itself).
#define ACQUIRE(...) ZEB_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) ZEB_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
// The same for a lock taken for reading (shared).
#define ACQUIRE_SHARED(...) ZEB_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) ZEB_THREAD_ANNOTATION(release_shared_capability(__VA_ARGS__))
// Releases the lock whichever way it is held (scoped lock destructors).
#define RELEASE_GENERIC(...) ZEB_THREAD_ANNOTATION(release_generic_capability(__VA_ARGS__))
// The function returns a reference to the lock named.
#define RETURN_CAPABILITY(x) ZEB_THREAD_ANNOTATION(lock_returned(x))
// Turns the analysis off for one function the checker cannot follow.
#define NO_THREAD_SAFETY_ANALYSIS ZEB_THREAD_ANNOTATION(no_thread_safety_analysis)
