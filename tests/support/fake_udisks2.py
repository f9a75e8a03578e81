#!/usr/bin/python3
"""A fake UDisks2 on a private system bus, for tests: python-dbusmock with udisks2_template.py.

Starts its own dbus-daemon, so that it needs no system bus on the machine and never touches the
machine's own. Prints the bus's address on the first line of standard output; a program with
DBUS_SYSTEM_BUS_ADDRESS set to it finds the fake as its system's UDisks2. Then takes commands on
standard input, one a line, and answers each with one line, "ok" or "error: WHY":

    load TREE           a recorded tree (tests/data/udisks2/*.json) replaces every object
    plug DEVICE         a device of the tree is plugged in again
    unplug DEVICE       it is pulled out
    swap DEVICE SERIAL  it is pulled out and another card, with that volume serial, goes in
    insert DEVICE SERIAL LABEL  a card with that serial and label goes into DEVICE's slot (the
                        one in it, if any, pulled out first); it is not mounted
    desktop-mount BLOCK the desktop mounts the file system on BLOCK (sdb1)
    answer HOW          how Mount answers: success, not-authorized, dismissed, error,
                        already-mounted
    automount SECONDS   from now on the desktop mounts a plugged card that many seconds
                        after it was plugged in (0: never, as at first)
    unmounted           answers "ok DEVICES": what Unmount unmounted, in order, each with
                        "(asking)" after it when the caller let UDisks2 ask the user
    hang                UDisks2 stops answering from now on (its process is stopped), and
                        every later command but this one fails

Ends, with its bus, when standard input closes.

Usage: fake_udisks2.py --mount-base DIR [--service answers|none|hangs]
  --service none    the bus runs, but no UDisks2 on it
  --service hangs   UDisks2 takes 30 seconds to answer
"""

import argparse
import os
import signal
import subprocess
import sys

import dbus
import dbusmock

TEMPLATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'udisks2_template.py')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--mount-base', required=True)
    parser.add_argument('--service', choices=('answers', 'none', 'hangs'), default='answers')
    args = parser.parse_args()

    test_case = dbusmock.DBusTestCase
    test_case.start_system_bus()
    mock = None
    try:
        control = None
        if args.service != 'none':
            parameters = {'mount-base': os.path.abspath(args.mount_base)}
            if args.service == 'hangs':
                parameters['hang'] = 30
            mock, main_object = test_case.spawn_server_template(
                TEMPLATE, parameters, stdout=subprocess.DEVNULL)
            control = dbus.Interface(main_object, dbusmock.MOCK_IFACE)
        print(os.environ['DBUS_SYSTEM_BUS_ADDRESS'], flush=True)

        commands = {
            'load': lambda value: control.LoadTree(os.path.abspath(value)),
            'plug': lambda value: control.Plug(value),
            'unplug': lambda value: control.Unplug(value),
            'swap': lambda value: control.Swap(*value.split(' ', 1)),
            'insert': lambda value: control.Insert(*value.split(' ', 2)),
            'desktop-mount': lambda value: control.DesktopMount(value),
            'answer': lambda value: control.SetMountAnswer(value),
            'automount': lambda value: control.SetAutomount(float(value)),
            'unmounted': lambda value: control.Unmounted(),
        }
        hung = False
        for line in sys.stdin:
            command, _, value = line.strip().partition(' ')
            try:
                if control is None:
                    raise RuntimeError('no UDisks2 runs')
                if command == 'hang':
                    mock.send_signal(signal.SIGSTOP)
                    hung = True
                    print('ok', flush=True)
                    continue
                if hung:
                    raise RuntimeError('UDisks2 hangs')
                result = commands[command](value)
                print(f'ok {result}' if result else 'ok', flush=True)
            except (KeyError, ValueError, RuntimeError, dbus.exceptions.DBusException) as error:
                why = ' '.join(str(error).split())
                print(f'error: {command}: {why}', flush=True)
    finally:
        if mock is not None:
            # A stopped process takes its SIGTERM only once it runs again.
            mock.send_signal(signal.SIGCONT)
            mock.terminate()
            mock.wait()
        test_case.tearDownClass()
    return 0


if __name__ == '__main__':
    sys.exit(main())
