// A per-thread map from a system handle to the object attached to it.
//
// The map lives on the heap from its first entry to its last, reached
// through a thread-local pointer. A map held directly in thread-local
// storage would be destroyed when its thread ends, and MinGW may release a
// thread's thread-local storage before it runs those destructors: the map
// was then destroyed in freed memory, corrupting the heap of every program
// that shows a window on a thread that ends.
#pragma once
#include <unordered_map>

namespace vt {

// The untyped map every kind of handle shares, so that its code exists once
// in the program; ThreadHandleMap gives it its types.
class ThreadPointerMap {
public:
    using Map = std::unordered_map<void*, void*>;
    static void* Find(const Map* map, void* key);
    // map is created with its first entry and deleted with its last.
    static void Set(Map*& map, void* key, void* value);
    static void Erase(Map*& map, void* key, const void* value);
};

template <class Handle, class Object>
class ThreadHandleMap {
public:
    static Object* Find(Handle h) { return static_cast<Object*>(ThreadPointerMap::Find(Map(), h)); }
    static void Set(Handle h, Object* object) { ThreadPointerMap::Set(Map(), h, object); }
    // Removes the entry if it is object's; the map goes with its last entry.
    static void Erase(Handle h, const Object* object) { ThreadPointerMap::Erase(Map(), h, object); }
    // Calls f(handle, object) for every entry until f returns true; returns
    // that entry's object, or null.
    template <class F>
    static Object* FindIf(F f) {
        auto* map = Map();
        if (map)
            for (const auto& e : *map) {
                Object* object = static_cast<Object*>(e.second);
                if (f(static_cast<Handle>(e.first), object)) return object;
            }
        return nullptr;
    }

private:
    static ThreadPointerMap::Map*& Map() {
        thread_local ThreadPointerMap::Map* map = nullptr;
        return map;
    }
};

}  // namespace vt
