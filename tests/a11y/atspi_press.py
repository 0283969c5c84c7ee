#!/usr/bin/python3
"""The program as a screen reader drives it, over AT-SPI: the press actions of Send, Get, Run and
Stop and the toggles of the switch and a radio button act as clicks; Stop ends a running loop.

    atspi_press.py PROGRAM    (inside a D-Bus session and an X display; the sensor is simulated)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi


def wait_for(check, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = check()
        if result:
            return result
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + check.__doc__)


def application(name):
    """the program on the accessibility bus"""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def find(root, role, name):
    def control():
        return pyatspi.findDescendant(root, lambda a: a.getRole() == role and a.name == name)
    control.__doc__ = "%s named %s" % (role, name)
    return wait_for(control)


def act(accessible, action):
    actions = accessible.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    assert action in names, "%s has actions %s" % (accessible.name, names)
    actions.doAction(names.index(action))


def sensitive(accessible):
    return accessible.getState().contains(pyatspi.STATE_SENSITIVE)


def main():
    pyatspi.Registry.getDesktop(0)  # the registry runs before the program announces itself
    settings = tempfile.mkdtemp()  # what the program remembers stays out of the user's settings
    env = dict(os.environ, TAVRIX_COM1="sim", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               XDG_CONFIG_HOME=settings)
    program = subprocess.Popen([sys.argv[1]], env=env)
    try:
        app = wait_for(lambda: application("tavrix-didor"), 20.0)
        power = find(app, pyatspi.ROLE_SPIN_BUTTON, "Power")
        run = find(app, pyatspi.ROLE_PUSH_BUTTON, "Run")
        button = lambda name: find(app, pyatspi.ROLE_PUSH_BUTTON, name)

        power.queryValue().currentValue = 777
        act(button("Send"), "Press")  # writes the sensor's RAM as the button goes down
        power.queryValue().currentValue = 500
        act(button("Get"), "Press")
        wait_for(lambda: power.queryValue().currentValue == 777)

        act(run, "Press")
        wait_for(lambda: not sensitive(run))  # dimmed while the loop runs
        act(button("Stop"), "Press")
        wait_for(lambda: sensitive(run))

        switch = find(app, pyatspi.ROLE_CHECK_BOX, "Operating mode")
        checked = switch.getState().contains(pyatspi.STATE_CHECKED)
        act(switch, "Toggle")
        wait_for(lambda: switch.getState().contains(pyatspi.STATE_CHECKED) != checked)
        eeprom = find(app, pyatspi.ROLE_CHECK_BOX, "Target EEPROM")  # so Qt 6.4 shows radios
        act(eeprom, "Toggle")
        wait_for(lambda: eeprom.getState().contains(pyatspi.STATE_CHECKED))
        print("AT-SPI: Send, Get, Run, Stop, the switch and a radio button act as clicks")
    finally:
        program.terminate()
        program.wait(10)
        shutil.rmtree(settings, ignore_errors=True)


if __name__ == "__main__":
    main()
