// Events: the platform's method pointers.
//
// An event property (OnClick, OnCalcCellColors, ...) holds a handler and an
// identity: the object the handler belongs to and which of its methods it is.
// The identity lets code tell whether a given handler is installed
// (`if (Table->OnFilterRecord() == MakeEvent(this, &TForm1::FilterRecord))`),
// as the platform compares the code and data pointers of a method.
//
//   TEvent<Args...>   a typed event; calling an unassigned event does nothing.
//   MakeEvent         builds one from (object, &Class::Method) or a function.
//   TMethod           any event, type-erased, as read and written by property
//                     name (GetMethodProp / SetMethodProp); converts back with
//                     As<TEventType>().
//
// Events whose handler changes a parameter take it by reference
// (TEvent<TObject*, bool&>).
#pragma once

#include <any>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>
#include <typeinfo>
#include <utility>

class TObject;

// The identity shared by every event value: data (the handler's object) and
// code (which handler). Two events are equal when both are unassigned or
// both name the same handler on the same object.
class TEventBase {
public:
    // The object the handler belongs to; nullptr for a free function or an
    // anonymous handler.
    const void* Data() const { return FData; }
    // True when the two values name the same handler of the same object.
    bool SameHandler(const TEventBase& other) const {
        return FData == other.FData && SameCodeType(other) && FCode == other.FCode;
    }
    friend bool operator==(const TEventBase& a, const TEventBase& b) { return a.SameHandler(b); }

protected:
    TEventBase() = default;

    // Identity of a member function of an object.
    template <class M>
    void SetMemberIdentity(const void* data, M method) {
        static_assert(sizeof(M) <= sizeof(FCode), "member function pointer too large");
        FData = data;
        FCodeType = &typeid(M);
        FCode.fill(0);
        std::memcpy(FCode.data(), &method, sizeof(M));
    }
    // Identity of a handler that has none of its own (a lambda): unique per
    // construction, kept by copies.
    void SetAnonymousIdentity() {
        static std::atomic<uint64_t> next{1};
        const uint64_t id = next.fetch_add(1);
        FData = nullptr;
        FCodeType = &typeid(TEventBase);
        FCode.fill(0);
        std::memcpy(FCode.data(), &id, sizeof id);
    }
    void ClearIdentity() {
        FData = nullptr;
        FCodeType = nullptr;
        FCode.fill(0);
    }

private:
    bool SameCodeType(const TEventBase& other) const {
        if (FCodeType == other.FCodeType) return true;
        return FCodeType && other.FCodeType && *FCodeType == *other.FCodeType;
    }

    const void* FData = nullptr;
    const std::type_info* FCodeType = nullptr;
    std::array<unsigned char, 16> FCode{};
};

template <class... Args>
class TEvent : public TEventBase {
public:
    using Handler = std::function<void(Args...)>;

    TEvent() = default;
    TEvent(std::nullptr_t) {}
    // An anonymous handler (lambda, std::function): equal only to its copies.
    template <class F>
    requires(!std::is_base_of_v<TEventBase, std::decay_t<F>> &&
             !std::is_same_v<std::decay_t<F>, std::nullptr_t> && std::is_invocable_v<F&, Args...>)
        TEvent(F&& handler)
        : FHandler(std::forward<F>(handler)) {
        if (FHandler) SetAnonymousIdentity();
    }

    // Method `method` of `object`.
    template <class C, class Obj>
    requires std::is_base_of_v<C, Obj> TEvent(Obj* object, void (C::*method)(Args...)) {
        if (!object || !method) return;
        FHandler = [object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); };
        SetMemberIdentity(static_cast<const void*>(object), method);
    }
    template <class C, class Obj>
    requires std::is_base_of_v<C, Obj> TEvent(Obj* object, void (C::*method)(Args...) const) {
        if (!object || !method) return;
        FHandler = [object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); };
        SetMemberIdentity(static_cast<const void*>(object), method);
    }
    // A free function.
    explicit TEvent(void (*function)(Args...)) {
        if (!function) return;
        FHandler = function;
        SetMemberIdentity(nullptr, function);
    }

    bool Assigned() const { return static_cast<bool>(FHandler); }
    explicit operator bool() const { return Assigned(); }
    // Calls the handler; does nothing when the event is unassigned.
    void operator()(Args... args) const {
        if (FHandler) FHandler(std::forward<Args>(args)...);
    }
    const Handler& Function() const { return FHandler; }

private:
    Handler FHandler;
};

// Builds an event from a method of an object: MakeEvent(this, &TfrmToDo::FormShow).
template <class C, class Obj, class... Args>
TEvent<Args...> MakeEvent(Obj* object, void (C::*method)(Args...)) {
    return TEvent<Args...>(object, method);
}
template <class C, class Obj, class... Args>
TEvent<Args...> MakeEvent(Obj* object, void (C::*method)(Args...) const) {
    return TEvent<Args...>(object, method);
}
// Builds an event from a free function.
template <class... Args>
TEvent<Args...> MakeEvent(void (*function)(Args...)) {
    return TEvent<Args...>(function);
}

// The platform's most common event: OnClick, OnChange, ... (Sender).
using TNotifyEvent = TEvent<TObject*>;

template <class T>
struct IsTEvent : std::false_type {};
template <class... A>
struct IsTEvent<TEvent<A...>> : std::true_type {};
template <class T>
inline constexpr bool IsTEventV = IsTEvent<T>::value;

// Any event value, type-erased: what GetMethodProp answers and SetMethodProp
// takes. Compares by identity like the typed events.
class TMethod : public TEventBase {
public:
    TMethod() = default;
    TMethod(std::nullptr_t) {}
    template <class... A>
    TMethod(const TEvent<A...>& event) : TEventBase(event), FEvent(event), FAssigned(event.Assigned()) {}

    // A nil code pointer counts as unassigned.
    bool Assigned() const { return FAssigned; }
    explicit operator bool() const { return FAssigned; }
    // True when the value holds an event of type Ev (an empty TMethod holds
    // none).
    template <class Ev>
    bool Is() const {
        return std::any_cast<Ev>(&FEvent) != nullptr;
    }
    // The typed event; an unassigned Ev when the value holds another type.
    template <class Ev>
    Ev As() const {
        if (const Ev* e = std::any_cast<Ev>(&FEvent)) return *e;
        return Ev();
    }
    // The stored event's type (typeid(void) when empty).
    const std::type_info& EventType() const { return FEvent.type(); }

private:
    std::any FEvent;
    bool FAssigned = false;
};
