/* Asks a program's window under X what a window manager asks it, for bench/sound.sh.
 *
 *   windowprobe PID SECONDS  waits up to SECONDS for the first window of process PID, then
 *                            sends it _NET_WM_PING every 100 ms for SECONDS; prints when the
 *                            window came and the longest a ping waited for its answer
 *   windowprobe PID close    asks that window to close (WM_DELETE_WINDOW), as its close box
 *
 * A window whose thread is busy or blocked answers no ping, so the longest wait is how long
 * the window was frozen, to within the 100 ms between pings. Built by bench/sound.sh. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Atom wmProtocols, wmPing, wmDelete, wmPid;

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static long pidOf(Display *display, Window window)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    long pid = -1;
    if (XGetWindowProperty(display, window, wmPid, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success && data && count == 1)
        pid = *(long *)data;
    if (data)
        XFree(data);
    return pid;
}

/* The first window on screen below `top` that names `pid` as its process. */
static Window findWindow(Display *display, Window top, long pid)
{
    Window root, parent, *children = NULL, found = 0;
    unsigned int count = 0;
    XWindowAttributes attributes;
    if (pidOf(display, top) == pid && XGetWindowAttributes(display, top, &attributes)
        && attributes.map_state == IsViewable)
        return top;
    if (!XQueryTree(display, top, &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = findWindow(display, children[i], pid);
    if (children)
        XFree(children);
    return found;
}

static void sendProtocol(Display *display, Window window, Atom protocol, long stamp)
{
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = wmProtocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)protocol;
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = (long)window;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: windowprobe PID SECONDS|close\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "windowprobe: no X display\n");
        return 1;
    }
    wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    wmPing = XInternAtom(display, "_NET_WM_PING", False);
    wmDelete = XInternAtom(display, "WM_DELETE_WINDOW", False);
    wmPid = XInternAtom(display, "_NET_WM_PID", False);
    const long pid = atol(argv[1]);
    const Window root = DefaultRootWindow(display);
    const int closing = strcmp(argv[2], "close") == 0;
    const double seconds = closing ? 5 : atof(argv[2]);

    const double start = nowMs();
    Window window = 0;
    while (!(window = findWindow(display, root, pid)) && nowMs() - start < seconds * 1000)
        poll(NULL, 0, 10);
    if (!window) {
        printf("no window of process %ld\n", pid);
        return 1;
    }
    if (closing) {
        sendProtocol(display, window, wmDelete, CurrentTime);
        XCloseDisplay(display);
        return 0;
    }
    const double came = nowMs() - start;

    /* Answers come back to the root window, as to a window manager. */
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    enum { kPings = 10000 };
    static double sent[kPings];
    long next = 0, answered = 0;
    double longest = 0, end = nowMs() + seconds * 1000;
    while (nowMs() < end && next < kPings) {
        if (next == 0 || nowMs() - sent[next - 1] >= 100) {
            sent[next] = nowMs();
            sendProtocol(display, window, wmPing, next + 1);
            ++next;
        }
        struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 10);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ClientMessage || (Atom)event.xclient.data.l[0] != wmPing)
                continue;
            const long stamp = event.xclient.data.l[1];
            for (; answered < stamp && answered < next; ++answered) {
                const double waited = nowMs() - sent[answered];
                longest = waited > longest ? waited : longest;
            }
        }
    }
    for (; answered < next; ++answered) {
        const double waited = nowMs() - sent[answered];
        longest = waited > longest ? waited : longest;
    }
    printf("window after %.0f ms, longest unanswered ping %.0f ms of %ld\n", came, longest, next);
    XCloseDisplay(display);
    return 0;
}
