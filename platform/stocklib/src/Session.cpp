// odb::session: the per-thread identity map of loaded library objects.
#include "odb/session.hxx"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "Store.h"

namespace odb {

struct session::impl {
  struct KeyHash {
    std::size_t operator()(const std::pair<const void*, uint32_t>& k) const noexcept {
      return std::hash<const void*>()(k.first) * 31u + k.second;
    }
  };
  std::unordered_map<std::pair<const void*, uint32_t>, KcSmartPtr<stocklib::Object>, KeyHash>
      objects;
};

namespace {
thread_local session* t_current = nullptr;
thread_local std::vector<session*> t_all;
}  // namespace

session::session(bool make_current) : impl_(std::make_unique<impl>()) {
  t_all.push_back(this);
  if (make_current) {
    previous_ = t_current;
    t_current = this;
    made_current_ = true;
  }
}

session::~session() {
  if (made_current_ && t_current == this) t_current = previous_;
  t_all.erase(std::remove(t_all.begin(), t_all.end(), this), t_all.end());
}

session* session::current() {
  return t_current;
}
void session::current(session& s) {
  t_current = &s;
}
void session::reset_current() {
  t_current = nullptr;
}
std::size_t session::size() const {
  return impl_->objects.size();
}
void session::clear() {
  impl_->objects.clear();
}

}  // namespace odb

namespace stocklib::detail {

KcSmartPtr<Object> SessionAccess::find(const Library* library, uint32_t id) {
  odb::session* s = odb::session::current();
  if (!s) return KcSmartPtr<Object>();
  auto it = s->impl_->objects.find({library, id});
  return it == s->impl_->objects.end() ? KcSmartPtr<Object>() : it->second;
}

void SessionAccess::put(const Library* library, Object* object) {
  if (odb::session* s = odb::session::current())
    s->impl_->objects[{library, object->id()}] = KcSmartPtr<Object>(object);
}

void SessionAccess::drop(const Library* library, uint32_t id) {
  for (odb::session* s : odb::t_all)
    s->impl_->objects.erase({library, id});
}

void SessionAccess::forget(const Library* library) {
  for (odb::session* s : odb::t_all) {
    auto& m = s->impl_->objects;
    for (auto it = m.begin(); it != m.end();)
      it = it->first.first == library ? m.erase(it) : std::next(it);
  }
}

}  // namespace stocklib::detail
