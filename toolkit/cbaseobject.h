#pragma once
// Reference counting and the string-based type query shared by every toolkit object.
#include <cstdint>
#include <cstring>
#include <utility>

namespace VSTGUI
{

// An object starts with one reference (its creator's). forget() on the last reference calls
// beforeDelete() and deletes the object.
class CBaseObject
{
public:
    CBaseObject() = default;
    // A copy is a new object: it starts with its own single reference.
    CBaseObject(const CBaseObject&) {}
    CBaseObject& operator=(const CBaseObject&) { return *this; }
    virtual ~CBaseObject() = default;

    virtual void remember() { ++nbReference; }
    virtual void forget()
    {
        if (--nbReference == 0)
        {
            beforeDelete();
            delete this;
        }
    }
    int32_t getNbReference() const { return nbReference; }
    virtual void beforeDelete() {}

    virtual bool isTypeOf(const char* s) const { return std::strcmp(s, "CBaseObject") == 0; }
    virtual CBaseObject* newCopy() const { return nullptr; }

private:
    int32_t nbReference = 1;
};

// Per-class type query and copy, as the toolkit's classes declare them.
#define CLASS_METHODS(name, parent)                                                                \
    bool isTypeOf(const char* s) const override                                                    \
    {                                                                                              \
        return std::strcmp(s, #name) == 0 || parent::isTypeOf(s);                                  \
    }                                                                                              \
    CBaseObject* newCopy() const override                                                          \
    {                                                                                              \
        return new name(*this);                                                                    \
    }

#define CLASS_METHODS_NOCOPY(name, parent)                                                         \
    bool isTypeOf(const char* s) const override                                                    \
    {                                                                                              \
        return std::strcmp(s, #name) == 0 || parent::isTypeOf(s);                                  \
    }                                                                                              \
    CBaseObject* newCopy() const override                                                          \
    {                                                                                              \
        return nullptr;                                                                            \
    }

// Keeps an object alive while a callback that may release it runs.
class CBaseObjectGuard
{
public:
    explicit CBaseObjectGuard(CBaseObject* o) : obj(o)
    {
        if (obj) obj->remember();
    }
    ~CBaseObjectGuard()
    {
        if (obj) obj->forget();
    }
    CBaseObjectGuard(const CBaseObjectGuard&) = delete;
    CBaseObjectGuard& operator=(const CBaseObjectGuard&) = delete;

private:
    CBaseObject* obj;
};

// Holds one reference; remembers on construction by default, forgets on destruction.
template <class T> class SharedPointer
{
public:
    SharedPointer() = default;
    SharedPointer(T* p, bool remember = true) : ptr(p)
    {
        if (ptr && remember) ptr->remember();
    }
    SharedPointer(const SharedPointer& o) : SharedPointer(o.ptr) {}
    SharedPointer(SharedPointer&& o) noexcept : ptr(std::exchange(o.ptr, nullptr)) {}
    ~SharedPointer()
    {
        if (ptr) ptr->forget();
    }
    SharedPointer& operator=(SharedPointer o) noexcept
    {
        std::swap(ptr, o.ptr);
        return *this;
    }
    T* operator->() const { return ptr; }

private:
    T* ptr = nullptr;
};

} // namespace VSTGUI
