#pragma once
// The COM plumbing of the window, written once: an owning interface pointer,
// a BSTR owner, reference counting with QueryInterface, and further interfaces
// of one object.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <unknwn.h>

#include <atomic>
#include <utility>

namespace calderwynfell {

// Holds one reference; moving hands it over, destruction releases it.
template <typename T>
class ComRef {
   public:
    ComRef() = default;
    // Takes over a reference the caller already owns.
    static ComRef adopt(T* pointer) noexcept {
        ComRef ref;
        ref.pointer_ = pointer;
        return ref;
    }
    // Takes a further reference to an object someone else holds.
    static ComRef retain(T* pointer) noexcept {
        if (pointer) pointer->AddRef();
        return adopt(pointer);
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ~ComRef() { reset(); }

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    T& operator*() const noexcept { return *pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }
    // For out-parameters: releases what is held, then gives the slot.
    T** put() noexcept {
        reset();
        return &pointer_;
    }
    // Hands the reference to the caller.
    [[nodiscard]] T* release() noexcept { return std::exchange(pointer_, nullptr); }
    void reset() noexcept {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }

   private:
    T* pointer_ = nullptr;
};

// A single-threaded apartment for the life of the object.
class ComApartment {
   public:
    ComApartment() noexcept : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }

   private:
    bool initialised_;
};

// Owns a BSTR; SysFreeString on destruction.
class UniqueBstr {
   public:
    explicit UniqueBstr(const wchar_t* text) noexcept : text_(SysAllocString(text)) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { SysFreeString(text_); }
    BSTR get() const noexcept { return text_; }

   private:
    BSTR text_;
};

// Reference counting and QueryInterface for an object that implements one
// interface and its bases; the derived class says which identifiers it answers.
template <typename Interface>
class ComObject : public Interface {
   public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = iid == IID_IUnknown ? static_cast<Interface*>(this) : interfaceFor(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

   protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    // The interface pointer for iid, or null when the object does not implement it.
    virtual void* interfaceFor(REFIID iid) = 0;

   private:
    std::atomic<ULONG> references_{1};
};

// A further interface of an object, held as a member rather than a base: its
// IUnknown is the owner's. Multiple inheritance would need this-adjusting
// thunks, which GCC's link-time optimisation for Windows emits twice.
template <typename Interface, typename Owner>
class InterfacePart : public Interface {
   public:
    explicit InterfacePart(Owner& owner) noexcept : owner_(owner) {}
    InterfacePart(const InterfacePart&) = delete;
    InterfacePart& operator=(const InterfacePart&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return owner_.QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

   protected:
    virtual ~InterfacePart() = default;
    Owner& owner_;
};

}  // namespace calderwynfell
