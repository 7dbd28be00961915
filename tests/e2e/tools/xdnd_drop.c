/*
 * xdnd_drop: drops files on the X window under a point the way a Linux file
 * manager does (XDND version 5, text/uri-list), which Wine turns into a
 * WM_DROPFILES. The end-to-end tests need it because xdotool cannot drag.
 *
 *   xdnd_drop [--timeout SECONDS] X Y PATH...
 *   xdnd_drop --uri-list PATH...     prints what a drop would send, no X
 *
 * X, Y are root-window coordinates, PATHs absolute. Exit status: 0 when the
 * target took the drop and said it finished; 1 when the drop failed (no
 * XDND-aware window there, refused, no answer); 2 for a bad command line;
 * 3 for X errors. A failure prints one line on stderr.
 */
#define _POSIX_C_SOURCE 200809L

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <stdarg.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

enum { XDND_VERSION = 5, FAILED = 1, USAGE = 2, X_ERROR = 3 };
/* Positions are sent again at this pace until the target accepts. */
enum { POSITION_RETRY_MS = 300 };

static struct {
    Atom aware, selection, enter, position, status, drop, finished, leave;
    Atom copy, uri_list, targets, stamp;
} A;

static void fail(int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fputs("xdnd_drop: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
    exit(status);
}

static int on_x_error(Display *d, XErrorEvent *e)
{
    char text[128];
    XGetErrorText(d, e->error_code, text, sizeof text);
    fail(X_ERROR, "X error: %s (request %d)", text, e->request_code);
    return 0;
}

/* file:// URIs with CR LF after each. Everything but the unreserved
 * characters and the path's slashes is percent-encoded byte by byte, so
 * spaces, '%' and UTF-8 names arrive intact. */
static char *uri_list(char *const paths[], int count)
{
    static const char hex[] = "0123456789ABCDEF";
    size_t size = 1;
    for (int i = 0; i < count; i++)
        size += strlen("file://") + 3 * strlen(paths[i]) + 2;
    char *out = malloc(size), *p = out;
    if (!out)
        fail(FAILED, "out of memory");
    for (int i = 0; i < count; i++) {
        if (paths[i][0] != '/')
            fail(USAGE, "not an absolute path: %s", paths[i]);
        p += sprintf(p, "file://");
        for (const unsigned char *s = (const unsigned char *)paths[i]; *s; s++) {
            if ((*s >= 'A' && *s <= 'Z') || (*s >= 'a' && *s <= 'z') ||
                (*s >= '0' && *s <= '9') || strchr("-._~/", *s)) {
                *p++ = (char)*s;
            } else {
                *p++ = '%';
                *p++ = hex[*s >> 4];
                *p++ = hex[*s & 15];
            }
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    *p = '\0';
    return out;
}

static long long now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

/* The next event, or false when none came before the deadline. */
static bool next_event(Display *d, long long deadline, XEvent *ev)
{
    XFlush(d);
    while (!XPending(d)) {
        long long left = deadline - now_ms();
        if (left <= 0)
            return false;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(d), &fds);
        struct timeval tv = {(time_t)(left / 1000), (suseconds_t)(left % 1000 * 1000)};
        if (select(ConnectionNumber(d) + 1, &fds, NULL, NULL, &tv) < 0 && errno != EINTR)
            fail(X_ERROR, "lost the X connection");
    }
    XNextEvent(d, ev);
    return true;
}

/* A real server time for the selection and the messages: a change to a
 * property of our own window reports one. */
static Time server_time(Display *d, Window w)
{
    XEvent ev;
    XChangeProperty(d, w, A.stamp, XA_STRING, 8, PropModeAppend, NULL, 0);
    long long deadline = now_ms() + 5000;
    while (next_event(d, deadline, &ev))
        if (ev.type == PropertyNotify && ev.xproperty.window == w)
            return ev.xproperty.time;
    fail(X_ERROR, "no PropertyNotify from the X server");
    return CurrentTime;
}

/* Walks down from the root through the mapped windows under the point to
 * the first one that says it speaks XDND; its version goes to *version. */
static Window find_target(Display *d, Window root, int x, int y, long *version)
{
    Window w = root, child;
    int cx, cy;
    for (int depth = 0; depth < 32; depth++) {
        if (!XTranslateCoordinates(d, root, w, x, y, &cx, &cy, &child) || child == None)
            return None;
        w = child;
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char *data = NULL;
        if (XGetWindowProperty(d, w, A.aware, 0, 1, False, XA_ATOM, &type, &format,
                               &n, &after, &data) == Success &&
            type == XA_ATOM && format == 32 && n == 1) {
            *version = *(long *)data;
            XFree(data);
            return w;
        }
        if (data)
            XFree(data);
    }
    return None;
}

static void send_message(Display *d, Window target, Atom type, long l0, long l1,
                         long l2, long l3, long l4)
{
    XEvent ev = {.xclient = {.type = ClientMessage, .display = d, .window = target,
                             .message_type = type, .format = 32,
                             .data.l = {l0, l1, l2, l3, l4}}};
    XSendEvent(d, target, False, NoEventMask, &ev);
    XFlush(d);
}

/* Hands the list to whoever converts the selection: as text/uri-list, or
 * the list of targets; anything else is refused (property None). */
static void answer(Display *d, const XSelectionRequestEvent *rq, const char *uris)
{
    XEvent ev = {.xselection = {.type = SelectionNotify, .display = d,
                                .requestor = rq->requestor, .selection = rq->selection,
                                .target = rq->target, .property = None, .time = rq->time}};
    /* Clients from before ICCCM 2 leave the property to us. */
    Atom property = rq->property != None ? rq->property : rq->target;
    if (rq->selection == A.selection && rq->target == A.uri_list) {
        XChangeProperty(d, rq->requestor, property, A.uri_list, 8, PropModeReplace,
                        (const unsigned char *)uris, (int)strlen(uris));
        ev.xselection.property = property;
    } else if (rq->selection == A.selection && rq->target == A.targets) {
        Atom targets[] = {A.targets, A.uri_list};
        XChangeProperty(d, rq->requestor, property, XA_ATOM, 32, PropModeReplace,
                        (const unsigned char *)targets, 2);
        ev.xselection.property = property;
    }
    XSendEvent(d, rq->requestor, False, NoEventMask, &ev);
    XFlush(d);
}

static int parse_int(const char *s, const char *what)
{
    char *end;
    long v = strtol(s, &end, 10);
    if (*s == '\0' || *end != '\0' || v < 0 || v > 32767)
        fail(USAGE, "bad %s: %s", what, s);
    return (int)v;
}

int main(int argc, char **argv)
{
    int arg = 1;
    if (argc >= 2 && strcmp(argv[1], "--uri-list") == 0) {
        fputs(uri_list(argv + 2, argc - 2), stdout);
        return 0;
    }
    double timeout = 10;
    if (argc >= 3 && strcmp(argv[1], "--timeout") == 0) {
        char *end;
        timeout = strtod(argv[2], &end);
        if (*end != '\0' || !(timeout > 0))
            fail(USAGE, "bad timeout: %s", argv[2]);
        arg = 3;
    }
    if (argc - arg < 3)
        fail(USAGE, "usage: xdnd_drop [--timeout SECONDS] X Y PATH...");
    int x = parse_int(argv[arg], "X"), y = parse_int(argv[arg + 1], "Y");
    char *uris = uri_list(argv + arg + 2, argc - arg - 2);
    long long timeout_ms = (long long)(timeout * 1000);

    Display *d = XOpenDisplay(NULL);
    if (!d)
        fail(X_ERROR, "cannot open display %s", XDisplayName(NULL));
    XSetErrorHandler(on_x_error);
    A.aware = XInternAtom(d, "XdndAware", False);
    A.selection = XInternAtom(d, "XdndSelection", False);
    A.enter = XInternAtom(d, "XdndEnter", False);
    A.position = XInternAtom(d, "XdndPosition", False);
    A.status = XInternAtom(d, "XdndStatus", False);
    A.drop = XInternAtom(d, "XdndDrop", False);
    A.finished = XInternAtom(d, "XdndFinished", False);
    A.leave = XInternAtom(d, "XdndLeave", False);
    A.copy = XInternAtom(d, "XdndActionCopy", False);
    A.uri_list = XInternAtom(d, "text/uri-list", False);
    A.targets = XInternAtom(d, "TARGETS", False);
    A.stamp = XInternAtom(d, "_TW_XDND_DROP_TIME", False);

    /* The pointer goes to the drop point first, as in a real drag, so the
     * target's own idea of the cursor agrees with the messages. */
    Window root = DefaultRootWindow(d);
    XWarpPointer(d, None, root, 0, 0, 0, 0, x, y);
    XSync(d, False);
    long version = 0;
    Window target = find_target(d, root, x, y, &version);
    if (target == None)
        fail(FAILED, "no XdndAware window at %d,%d", x, y);
    if (version > XDND_VERSION)
        version = XDND_VERSION;

    /* An unmapped window of our own owns the selection and gets the replies. */
    Window source = XCreateSimpleWindow(d, root, -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(d, source, PropertyChangeMask);
    Time time = server_time(d, source);
    XSetSelectionOwner(d, A.selection, source, time);
    if (XGetSelectionOwner(d, A.selection) != source)
        fail(X_ERROR, "could not own XdndSelection");

    send_message(d, target, A.enter, (long)source, version << 24, (long)A.uri_list, 0, 0);
    long long deadline = now_ms() + timeout_ms, next_position = 0;
    bool dropped = false;
    for (;;) {
        if (!dropped && now_ms() >= next_position) {
            send_message(d, target, A.position, (long)source, 0, (long)x << 16 | y,
                         (long)time, (long)A.copy);
            next_position = now_ms() + POSITION_RETRY_MS;
        }
        XEvent ev;
        long long wake = !dropped && next_position < deadline ? next_position : deadline;
        if (!next_event(d, wake, &ev)) {
            if (now_ms() < deadline)
                continue;
            if (dropped)
                fail(FAILED, "no XdndFinished from window 0x%lx", target);
            send_message(d, target, A.leave, (long)source, 0, 0, 0, 0);
            fail(FAILED, "window 0x%lx did not accept the drop", target);
        }
        if (ev.type == SelectionRequest) {
            answer(d, &ev.xselectionrequest, uris);
            continue;
        }
        if (ev.type != ClientMessage || (Window)ev.xclient.data.l[0] != target)
            continue;
        if (ev.xclient.message_type == A.status && !dropped && (ev.xclient.data.l[1] & 1)) {
            send_message(d, target, A.drop, (long)source, 0, (long)time, 0, 0);
            dropped = true;
            deadline = now_ms() + timeout_ms;
        } else if (ev.xclient.message_type == A.finished && dropped) {
            /* Version 5 says in bit 0 whether the target used the data. */
            if (version >= 5 && !(ev.xclient.data.l[1] & 1))
                fail(FAILED, "window 0x%lx refused the dropped data", target);
            XCloseDisplay(d);
            free(uris);
            return 0;
        }
    }
}
