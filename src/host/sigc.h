#pragma once
// The signal names the plug-ins were written against, as thin aliases over libsigc++ 3.
#include <sigc++/sigc++.h>

namespace SigC {
using Object = sigc::trackable;
template <typename R, typename... A> using Signal = sigc::signal<R(A...)>;
template <typename R> using Signal0 = sigc::signal<R()>;
template <typename R, typename A1> using Signal1 = sigc::signal<R(A1)>;
template <typename R, typename A1, typename A2> using Signal2 = sigc::signal<R(A1, A2)>;
using Connection = sigc::connection;

// The method may belong to a base class (a window's accept, say): bind through that base.
template <typename T, typename B, typename R, typename... A>
auto slot(T& obj, R (B::*method)(A...)) { return sigc::mem_fun(static_cast<B&>(obj), method); }
template <typename T, typename B, typename R, typename... A>
auto slot(T* obj, R (B::*method)(A...)) { return sigc::mem_fun(static_cast<B&>(*obj), method); }
template <typename T, typename B, typename R, typename... A>
auto slot(const T& obj, R (B::*method)(A...) const) { return sigc::mem_fun(static_cast<const B&>(obj), method); }
template <typename R, typename... A>
auto slot(R (*fn)(A...)) { return sigc::ptr_fun(fn); }
} // namespace SigC

// The old API's CONNECT(signal, Class::method) shorthand, used inside member functions.
#define CONNECT(sender, method) (sender).connect(SigC::slot(*this, &method))
