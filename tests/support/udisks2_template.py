"""python-dbusmock template: the parts of UDisks2 that finding and mounting a card uses.

The object tree comes from a recorded tree (tests/data/udisks2/*.json): for each device that is
plugged in or pulled out as one piece (a card, a stick, a disk), its objects by path, and for
each object its interfaces with their properties as [signature, value] pairs. Byte-string paths
("ay", "aay") are written as text there.

Loaded by fake_udisks2.py, which drives it through the methods below on the mock interface of
/org/freedesktop/UDisks2:
  LoadTree(s path)      the recorded tree replaces every object, silently
  Plug(s device)        the device's objects appear, with InterfacesAdded
  Unplug(s device)      they go, with InterfacesRemoved
  Swap(s device, s serial) the device is pulled out and another card goes into its slot: the
                        same, but for the volume serial of its file systems
  Insert(s device, s serial, s label) a card with that volume serial and label goes into the
                        device's slot, after the one in it (if any) was pulled out
  DesktopMount(s block) the desktop mounts the block device's file system
  SetMountAnswer(s how) how Filesystem.Mount answers from now on: success, not-authorized,
                        dismissed, error, already-mounted
  SetAutomount(d secs)  from now on the desktop mounts what Plug adds that many seconds later
                        (0: never)
  Unmounted() -> s      the devices Filesystem.Unmount unmounted, in order, each followed by
                        "(asking)" when the caller let UDisks2 ask the user

Parameters: "mount-base", the folder that stands for /media/user: recorded mount points under
/media/user move there, and Mount mounts there, each at a real folder; "hang": GetManagedObjects
answers only after that many seconds, for a daemon that does not answer in time.
"""

import json
import os

import dbus
from gi.repository import GLib

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

OBJECT_MANAGER = 'org.freedesktop.DBus.ObjectManager'
BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'
RECORDED_MEDIA = '/media/user/'

state = {
    'mount-base': '/nonexistent',
    'devices': {},    # device name -> {object path -> {interface -> {name -> value}}}
    'answer': 'success',
    'automount': 0,   # seconds after Plug that the desktop mounts the file systems; 0: never
    'unmounted': [],  # (device, without user interaction) of each Unmount, in order
}


def _path_bytes(text):
    return dbus.Array([dbus.Byte(b) for b in text.encode() + b'\0'], signature='y')


def _value(signature, value):
    """A recorded value as the D-Bus type of its signature."""
    if signature == 'ay':
        return _path_bytes(value)
    if signature == 'aay':
        return dbus.Array([_path_bytes(v) for v in value], signature='ay')
    if signature.startswith('a'):
        return dbus.Array([_value(signature[1:], v) for v in value], signature=signature[1:])
    simple = {'b': dbus.Boolean, 's': dbus.String, 'o': dbus.ObjectPath, 'y': dbus.Byte,
              'u': dbus.UInt32, 'i': dbus.Int32, 't': dbus.UInt64, 'x': dbus.Int64,
              'd': dbus.Double}
    return simple[signature](value)


def _moved(path):
    if path.startswith(RECORDED_MEDIA):
        return os.path.join(state['mount-base'], path[len(RECORDED_MEDIA):])
    return path


def _interfaces(recorded):
    interfaces = {}
    for interface, properties in recorded.items():
        typed = {}
        for name, (signature, value) in properties.items():
            if interface == FILESYSTEM and name == 'MountPoints':
                value = [_moved(point) for point in value]
                for point in value:
                    if point.startswith(state['mount-base']):
                        os.makedirs(point, exist_ok=True)
            typed[name] = _value(signature, value)
        interfaces[interface] = dbus.Dictionary(typed, signature='sv')
    return interfaces


def _add(mock, path, interfaces):
    names = list(interfaces)
    obj = mockobject.DBusMockObject(mock.bus_name, path, names[0], interfaces[names[0]])
    for name in names[1:]:
        obj.props[name] = interfaces[name]
    obj.object_manager = mock
    if FILESYSTEM in interfaces:
        obj.AddMethod(FILESYSTEM, 'Mount', 'a{sv}', 's', _mount)
        obj.AddMethod(FILESYSTEM, 'Unmount', 'a{sv}', '', _unmount)
    mockobject.objects[path] = obj


def _remove(path):
    mockobject.objects[path].remove_from_connection()
    del mockobject.objects[path]


def _mount_point_for(obj):
    block = obj.props[BLOCK]
    name = str(block.get('IdLabel', '')) or str(block.get('IdUUID', '')) or 'disk'
    return os.path.join(state['mount-base'], name)


def _set_mounted(obj, point):
    os.makedirs(point, exist_ok=True)
    obj.UpdateProperties(FILESYSTEM, {'MountPoints': dbus.Array([_path_bytes(point)],
                                                                signature='ay')})


def _mount(self, _options):
    device = bytes(self.props[BLOCK]['Device']).rstrip(b'\0').decode()
    how = state['answer']
    if how == 'not-authorized':
        raise dbus.exceptions.DBusException(
            'Not authorized to perform operation',
            name='org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain')
    if how == 'dismissed':
        raise dbus.exceptions.DBusException(
            'The authentication dialog was dismissed',
            name='org.freedesktop.UDisks2.Error.NotAuthorizedDismissed')
    if how == 'error':
        raise dbus.exceptions.DBusException(
            f'Error mounting {device}: wrong fs type, bad option, bad superblock on {device}, '
            'missing codepage or helper program, or other error',
            name='org.freedesktop.UDisks2.Error.Failed')
    point = _mount_point_for(self)
    _set_mounted(self, point)
    if how == 'already-mounted':
        raise dbus.exceptions.DBusException(
            f"Device {device} is already mounted at `{point}'.",
            name='org.freedesktop.UDisks2.Error.AlreadyMounted')
    return point


def _unmount(self, options):
    if not self.props[FILESYSTEM]['MountPoints']:
        raise dbus.exceptions.DBusException('Device is not mounted',
                                            name='org.freedesktop.UDisks2.Error.NotMounted')
    state['unmounted'].append((bytes(self.props[BLOCK]['Device']).rstrip(b'\0').decode(),
                               bool(options.get('auth.no_user_interaction', False))))
    # The folder stays: it stands for what is on the card.
    self.UpdateProperties(FILESYSTEM, {'MountPoints': dbus.Array([], signature='ay')})


def load(mock, parameters):
    state['mount-base'] = str(parameters.get('mount-base', state['mount-base']))
    hang = float(parameters.get('hang', 0))
    if hang > 0:
        mock.AddMethod(OBJECT_MANAGER, 'GetManagedObjects', '', 'a{oa{sa{sv}}}',
                       f'import time; time.sleep({hang}); ret = {{}}')


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def LoadTree(self, path):
    for existing in [p for p in mockobject.objects if p.startswith(MAIN_OBJ + '/')]:
        _remove(existing)
    with open(path, encoding='utf-8') as f:
        recorded = json.load(f)['devices']
    state['devices'] = {}
    state['answer'] = 'success'
    state['automount'] = 0
    state['unmounted'] = []
    for device, objects in recorded.items():
        state['devices'][device] = objects
        for object_path, interfaces in objects.items():
            _add(self, object_path, _interfaces(interfaces))


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def Plug(self, device):
    # The drive first, then its block devices, as UDisks2 announces them.
    for object_path, interfaces in sorted(state['devices'][device].items(),
                                          key=lambda item: BLOCK in item[1]):
        typed = _interfaces(interfaces)
        _add(self, object_path, typed)
        self.EmitSignal(OBJECT_MANAGER, 'InterfacesAdded', 'oa{sa{sv}}',
                        [dbus.ObjectPath(object_path), typed])
        if state['automount'] and FILESYSTEM in typed and not typed[FILESYSTEM]['MountPoints']:
            GLib.timeout_add(int(state['automount'] * 1000), _automount, object_path)


def _automount(object_path):
    obj = mockobject.objects.get(object_path)
    if obj is not None and not obj.props[FILESYSTEM]['MountPoints']:
        _set_mounted(obj, _mount_point_for(obj))
    return False


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def Unplug(self, device):
    for object_path, interfaces in sorted(state['devices'][device].items(),
                                          key=lambda item: BLOCK not in item[1]):
        if object_path in mockobject.objects:
            _remove(object_path)
            self.EmitSignal(OBJECT_MANAGER, 'InterfacesRemoved', 'oas',
                            [dbus.ObjectPath(object_path), dbus.Array(list(interfaces),
                                                                      signature='s')])


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def Swap(self, device, serial):
    Unplug(self, device)
    for interfaces in state['devices'][device].values():
        if interfaces.get(BLOCK, {}).get('IdUsage', ['s', ''])[1] == 'filesystem':
            interfaces[BLOCK]['IdUUID'] = ['s', serial]
    Plug(self, device)


@dbus.service.method(MOCK_IFACE, in_signature='sss', out_signature='')
def Insert(self, device, serial, label):
    if any(path in mockobject.objects for path in state['devices'][device]):
        Unplug(self, device)
    for interfaces in state['devices'][device].values():
        if interfaces.get(BLOCK, {}).get('IdUsage', ['s', ''])[1] == 'filesystem':
            interfaces[BLOCK]['IdUUID'] = ['s', serial]
            interfaces[BLOCK]['IdLabel'] = ['s', label]
            if FILESYSTEM in interfaces:
                interfaces[FILESYSTEM]['MountPoints'] = ['aay', []]
    Plug(self, device)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def DesktopMount(self, block):
    obj = mockobject.objects[MAIN_OBJ + '/block_devices/' + block]
    _set_mounted(obj, _mount_point_for(obj))


@dbus.service.method(MOCK_IFACE, in_signature='d', out_signature='')
def SetAutomount(self, seconds):
    state['automount'] = float(seconds)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='s')
def Unmounted(self):
    return ' '.join(f'{device}{"" if quiet else "(asking)"}'
                    for device, quiet in state['unmounted'])


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetMountAnswer(self, how):
    if how not in ('success', 'not-authorized', 'dismissed', 'error', 'already-mounted'):
        raise dbus.exceptions.DBusException(f'unknown answer {how}',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    state['answer'] = how
