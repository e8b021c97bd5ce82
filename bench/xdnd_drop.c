/* Drops files on a window of the X display as a Linux file manager does,
 * through the XDND protocol: the files arrive in the window as a drag from
 * the desktop would bring them. Used by the window benchmark to fill the
 * program's list as a user does, from outside the program.
 *
 *   xdnd_drop X Y PATH...    drops PATH... at the root coordinates X, Y
 *
 * Exit status 0 when the target accepted and finished the drop. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Display* display;
static Atom aware, enter, position, status, drop, finished, selection, uriList, actionCopy;

static void Intern(void) {
  aware = XInternAtom(display, "XdndAware", False);
  enter = XInternAtom(display, "XdndEnter", False);
  position = XInternAtom(display, "XdndPosition", False);
  status = XInternAtom(display, "XdndStatus", False);
  drop = XInternAtom(display, "XdndDrop", False);
  finished = XInternAtom(display, "XdndFinished", False);
  selection = XInternAtom(display, "XdndSelection", False);
  uriList = XInternAtom(display, "text/uri-list", False);
  actionCopy = XInternAtom(display, "XdndActionCopy", False);
}

/* The window under the point that takes drops: the deepest one marked
 * XdndAware on the way down from the root. */
static Window TargetAt(int x, int y) {
  Window root = DefaultRootWindow(display), at = root, child, found = None;
  int wx, wy;
  for (;;) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    if (XGetWindowProperty(display, at, aware, 0, 1, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success && type != None)
      found = at;
    if (data) XFree(data);
    if (!XTranslateCoordinates(display, root, at, x, y, &wx, &wy, &child) || child == None) break;
    at = child;
  }
  return found;
}

static void Send(Window target, Atom message, long l1, long l2, long l3, long l4, Window source) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.display = display;
  e.xclient.window = target;
  e.xclient.message_type = message;
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)source;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(display, target, False, NoEventMask, &e);
  XFlush(display);
}

/* file:// URIs, one a line, with the bytes outside the unreserved set escaped. */
static char* UriList(int count, char** paths) {
  size_t size = 1;
  for (int i = 0; i < count; ++i) size += 7 + 3 * strlen(paths[i]) + 2;
  char* list = malloc(size);
  char* out = list;
  for (int i = 0; i < count; ++i) {
    out += sprintf(out, "file://");
    for (const unsigned char* p = (const unsigned char*)paths[i]; *p; ++p) {
      if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
          strchr("/-_.~", *p))
        *out++ = (char)*p;
      else
        out += sprintf(out, "%%%02X", *p);
    }
    out += sprintf(out, "\r\n");
  }
  *out = 0;
  return list;
}

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: xdnd_drop X Y PATH...\n");
    return 2;
  }
  display = XOpenDisplay(NULL);
  if (!display) return 2;
  Intern();
  int x = atoi(argv[1]), y = atoi(argv[2]);
  /* A window just shown may not be on the X side yet. */
  Window target = None;
  for (double until = Now() + 10; target == None && Now() < until;) {
    target = TargetAt(x, y);
    if (target == None) {
      struct timespec pause = {0, 50000000};
      nanosleep(&pause, NULL);
    }
  }
  if (target == None) {
    fprintf(stderr, "xdnd_drop: no window takes drops at %d,%d\n", x, y);
    return 1;
  }
  Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  char* uris = UriList(argc - 3, argv + 3);
  XSetSelectionOwner(display, selection, source, CurrentTime);
  Send(target, enter, 5L << 24, (long)uriList, 0, 0, source);
  Send(target, position, 0, (x << 16) | y, CurrentTime, (long)actionCopy, source);

  int accepted = 0, done = 0, dropped = 0;
  double deadline = Now() + 30;
  while (!done && Now() < deadline) {
    if (!XPending(display)) {
      struct timespec pause = {0, 2000000};
      nanosleep(&pause, NULL);
      continue;
    }
    XEvent e;
    XNextEvent(display, &e);
    if (e.type == ClientMessage && e.xclient.message_type == status && !dropped) {
      accepted = e.xclient.data.l[1] & 1;
      if (!accepted) break;
      Send(target, drop, 0, CurrentTime, 0, 0, source);
      dropped = 1;
    } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
      done = 1;
    } else if (e.type == SelectionRequest) {
      XSelectionRequestEvent* r = &e.xselectionrequest;
      XEvent reply;
      memset(&reply, 0, sizeof reply);
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = r->requestor;
      reply.xselection.selection = r->selection;
      reply.xselection.target = r->target;
      reply.xselection.time = r->time;
      reply.xselection.property = None;
      if (r->target == uriList) {
        XChangeProperty(display, r->requestor, r->property, uriList, 8, PropModeReplace,
                        (unsigned char*)uris, (int)strlen(uris));
        reply.xselection.property = r->property;
      }
      XSendEvent(display, r->requestor, False, NoEventMask, &reply);
      XFlush(display);
    }
  }
  free(uris);
  XCloseDisplay(display);
  if (!accepted) fprintf(stderr, "xdnd_drop: the window refused the drop\n");
  return done ? 0 : 1;
}
