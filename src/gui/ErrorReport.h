#pragma once
// The program's general error report: whatever escapes an event handler is
// shown in a message box captioned "PC / Velmora", and the program goes on.

#include "core/Errors.h"
#include "core/Texts.h"
#include "core/IniFile.h"

#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>
#include <type_traits>
#include <utility>


// Shows `text` in a modal error box (or hands it to the handler set below).
void ShowErrorReport(const QString &text);

// Tests replace the modal box with a recorder; an empty handler restores it.
void SetErrorReportHandler(std::function<void(const QString &)> handler);

// Runs `f`, reporting what it throws instead of letting it pass through Qt.
template <class F>
void RunGuarded(F &&f) noexcept
{
    try {
        std::forward<F>(f)();
    } catch (const IniError &error) {
        ShowErrorReport(error.text());
    } catch (const std::exception &error) {
        ShowErrorReport(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorReport(QStringLiteral("Unbekannter Fehler / Unknown error"));
    }
}

namespace detail {
// Calls the handler with the signal's arguments when it takes them, else without.
template <class F, class... A>
auto invokeHandler(F &f, A &&...a) -> decltype(f(std::forward<A>(a)...), void())
{
    f(std::forward<A>(a)...);
}
template <class F, class... A>
auto invokeHandler(F &f, A &&...) -> std::enable_if_t<!std::is_invocable_v<F &, A...>, decltype(f(), void())>
{
    f();
}
} // namespace detail

// Wraps a handler for connect(): the slot reports its errors itself. The
// constraint keeps Qt's probing of the slot's argument count from
// instantiating a call that cannot compile.
template <class F>
auto Guarded(F f)
{
    return [f = std::move(f)](auto &&...args) mutable
           -> std::enable_if_t<std::is_invocable_v<F &, decltype(args)...> || std::is_invocable_v<F &>> {
        RunGuarded([&] { detail::invokeHandler(f, std::forward<decltype(args)>(args)...); });
    };
}
