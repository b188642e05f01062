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

template <class Handle, class Object>
class ThreadHandleMap {
public:
    static Object* Find(Handle h) {
        auto* map = Map();
        if (!map) return nullptr;
        auto it = map->find(h);
        return it == map->end() ? nullptr : it->second;
    }
    static void Set(Handle h, Object* object) {
        auto*& map = Map();
        if (!map) map = new std::unordered_map<Handle, Object*>();
        (*map)[h] = object;
    }
    // Removes the entry if it is object's; the map goes with its last entry.
    static void Erase(Handle h, const Object* object) {
        auto*& map = Map();
        if (!map) return;
        auto it = map->find(h);
        if (it != map->end() && it->second == object) map->erase(it);
        if (map->empty()) {
            delete map;
            map = nullptr;
        }
    }
    // Calls f(handle, object) for every entry until f returns true; returns
    // that entry's object, or null.
    template <class F>
    static Object* FindIf(F f) {
        auto* map = Map();
        if (map)
            for (const auto& e : *map)
                if (f(e.first, e.second)) return e.second;
        return nullptr;
    }

private:
    static std::unordered_map<Handle, Object*>*& Map() {
        thread_local std::unordered_map<Handle, Object*>* map = nullptr;
        return map;
    }
};

}  // namespace vt
