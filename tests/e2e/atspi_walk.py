# SPDX-License-Identifier: GPL-3.0-or-later
# Walks the accessibility tree of every application on the AT-SPI bus, as a screen reader does,
# and prints one line per window of an application, and per control that has a description, or
# is a check box, a label, a text field, a list, a list item, a table or its cell, a tree or its
# item, a spin box, a push button or a dialog: ROLE|NAME|DESCRIPTION.
import dbus

session = dbus.SessionBus()
address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
    dbus_interface="org.a11y.Bus")
bus = dbus.bus.BusConnection(address)


def node(name, path):
    remote = bus.get_object(name, path)
    properties = dbus.Interface(remote, "org.freedesktop.DBus.Properties")
    return (str(properties.Get("org.a11y.atspi.Accessible", "Name")),
            str(properties.Get("org.a11y.atspi.Accessible", "Description")),
            str(remote.GetRoleName(dbus_interface="org.a11y.atspi.Accessible")),
            remote.GetChildren(dbus_interface="org.a11y.atspi.Accessible"))


for application in node("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")[3]:
    name, _, role, children = node(*application)
    print(f"{role}|{name}|")
    windows = {tuple(child) for child in children}
    pending = list(children)
    while pending:
        at = pending.pop(0)
        name, description, role, children = node(*at)
        if tuple(at) in windows or description or role in (
                "check box", "label", "text", "list", "list item", "cell", "dialog", "table",
                "tree", "tree table", "tree item", "spin button", "push button"):
            print(f"{role}|{name}|{description}")
        pending.extend(children)
