'''A ModemManager for the tests: org.freedesktop.ModemManager1 with the modems given in the
parameters, each with the properties of org.freedesktop.ModemManager1.Modem that QEL-V reads.
Loaded by python3-dbusmock (python3 -m dbusmock --template this-file -p JSON), on a bus the
test starts itself.'''

import dbus

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'


def load(mock, parameters):
    for index, modem in enumerate(parameters.get('modems', [])):
        ports = dbus.Array([dbus.Struct((name, dbus.UInt32(kind)), signature='su')
                            for name, kind in modem['ports']], signature='(su)')
        mock.AddObject(f'{MAIN_OBJ}/Modem/{index}', MODEM_IFACE, {
            'Manufacturer': dbus.String(modem['manufacturer']),
            'Model': dbus.String(modem['model']),
            'Revision': dbus.String(modem['revision']),
            'EquipmentIdentifier': dbus.String(modem['equipment_identifier']),
            'Plugin': dbus.String(modem['plugin']),
            'State': dbus.Int32(modem['state']),
            'Ports': ports,
            'PrimaryPort': dbus.String(modem['ports'][0][0]),
        }, [])
