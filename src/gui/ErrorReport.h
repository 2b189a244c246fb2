#pragma once
// The program's general error report: whatever escapes an event handler is
// shown in a message box captioned "PC / Velmora", and the program goes on.

#include "core/Errors.h"
#include "texts/ErrorTexts.h"

#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>
#include <type_traits>
#include <utility>


// Where error reports go: a modal error box, or the handler handed in
// (tests hand in a recorder).
class ErrorReport
{
public:
    using Handler = std::function<void(const QString &text)>;

    explicit ErrorReport(Handler handler = {}) : m_handler(std::move(handler)) {}
    // An empty handler shows the modal box again.
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // An error of the core, in the window's words for it.
    void show(const ReportedError &error) const;
    // A message the window has already worded.
    void show(const QString &text) const;

private:
    Handler m_handler;
};

// Runs `f`, reporting what it throws instead of letting it pass through Qt.
template <class F>
void RunGuarded(const ErrorReport &report, F &&f) noexcept
{
    try {
        std::forward<F>(f)();
    } catch (const std::exception &error) {
        report.show(ReportedError::of(error));
    } catch (...) {
        report.show(QStringLiteral("Unbekannter Fehler / Unknown error"));
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

// Wraps a handler for connect(): the slot reports its errors to `report`,
// which outlives the connection. The constraint keeps Qt's probing of the
// slot's argument count from instantiating a call that cannot compile.
template <class F>
auto Guarded(const ErrorReport &report, F f)
{
    return [report = &report, f = std::move(f)](auto &&...args) mutable
           -> std::enable_if_t<std::is_invocable_v<F &, decltype(args)...> || std::is_invocable_v<F &>> {
        RunGuarded(*report, [&] { detail::invokeHandler(f, std::forward<decltype(args)>(args)...); });
    };
}
