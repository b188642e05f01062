#include "framework/threadmap.h"

namespace vt {

void* ThreadPointerMap::Find(const Map* map, void* key) {
    if (!map) return nullptr;
    auto it = map->find(key);
    return it == map->end() ? nullptr : it->second;
}

void ThreadPointerMap::Set(Map*& map, void* key, void* value) {
    if (!map) map = new Map();
    (*map)[key] = value;
}

void ThreadPointerMap::Erase(Map*& map, void* key, const void* value) {
    if (!map) return;
    auto it = map->find(key);
    if (it != map->end() && it->second == value) map->erase(it);
    if (map->empty()) {
        delete map;
        map = nullptr;
    }
}

}  // namespace vt
