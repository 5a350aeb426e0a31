"""What a screen reader finds in the running window, through AT-SPI: the tree, the names,
the text attributes of the gap colour, and 计算1 pressed through its action.
Prints one line per finding; exits non-zero at the first that is wrong."""
import sys
import time

import pyatspi


def fail(message):
    print("screen reader: " + message, file=sys.stderr)
    sys.exit(1)


def application(name, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    fail("no application named %s on the accessibility bus" % name)


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def named(app, role, name):
    for node, _ in walk(app):
        if node.getRole() == role and node.name == name:
            return node
    fail("no %s named %s" % (pyatspi.Role(role).value_nick if hasattr(pyatspi, "Role") else role, name))


def runs(node):
    text = node.queryText()
    offset, found = 0, []
    while offset < text.characterCount:
        attributes, start, end = text.getAttributeRun(offset, False)
        if end <= offset:
            fail("attribute run at %d of %s does not advance" % (offset, node.name))
        colour = "gap" if "fg-color:100,220,100" in attributes else "black"
        found.append((text.getText(start, end), colour))
        offset = end
    return found


app = application("Velmora")
tree = list(walk(app))
frames = [node for node, depth in tree if depth == 1]
if not frames or frames[0].getRole() != pyatspi.ROLE_FRAME:
    fail("the window is not a frame: %s" % [f.getRoleName() for f in frames])
names = {node.name for node, _ in tree}
for expected in ("第一段文本", "第二段文本", "结果", "计算1", "计算2", "编辑文本", "清除", "退出"):
    if expected not in names:
        fail("nothing named %s in %s" % (expected, sorted(names)))
for hidden in ("Command3", "Command5"):
    if hidden in names:
        fail("the hidden button %s is in the tree" % hidden)
print("tree: a frame with %d nodes, every control named" % len(tree))

upper = named(app, pyatspi.ROLE_TEXT, "第一段文本")
lower = named(app, pyatspi.ROLE_TEXT, "第二段文本")
upper.queryEditableText().setTextContents("ABCBDAB")
lower.queryEditableText().setTextContents("BDCABA")
named(app, pyatspi.ROLE_PUSH_BUTTON, "计算1").queryAction().doAction(0)

deadline = time.time() + 10
while time.time() < deadline and not any(n.name.startswith("长度") for n, _ in walk(app)):
    time.sleep(0.2)
labels = [n.name for n, _ in walk(app) if n.getRole() == pyatspi.ROLE_LABEL]
length = [name for name in labels if name.startswith("长度")]
if length != ["长度①：4"]:
    fail("Label4 reads %s" % length)
if "22" not in labels:
    fail("Label5 does not read 22: %s" % labels)
print("labels: %s, %s invocations" % (length[0], "22"))

upper_runs = runs(upper)
if upper_runs != [("A", "gap"), ("B", "black"), ("CB", "gap"), ("DAB", "black")]:
    fail("upper box colour runs are %s" % upper_runs)
if "未匹配的字符" not in upper.description:
    fail("upper box description: %s" % upper.description)
if not upper.getState().contains(pyatspi.STATE_READ_ONLY):
    fail("the upper box is not read-only after 计算1")
print("colours: upper box %s; %s" % (upper_runs, upper.description))

# F2 opens 调用树: a second frame, whose tree's rows name themselves.
import subprocess
subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Velmora$", "windowfocus", "--sync", "key", "F2"],
               check=False)
deadline = time.time() + 10
tree_frame = None
while time.time() < deadline and tree_frame is None:
    tree_frame = next((n for n, d in walk(app) if d == 1 and n.name == "调用树"), None)
    time.sleep(0.2)
if tree_frame is None:
    fail("F2 opened no frame named 调用树: %s" % [n.name for n, d in walk(app) if d == 1])
view = next((n for n, _ in walk(tree_frame) if n.name == "调用树" and n is not tree_frame
             and n.getRole() in (pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_TABLE)), None)
if view is None:
    fail("调用树 has no tree named 调用树: %s" % sorted({n.getRoleName() for n, _ in walk(tree_frame)}))
rows = [n.name for n, _ in walk(view) if n.name.startswith("第 ")]
if not rows or not rows[0].startswith("第 1 次调用"):
    fail("the tree's rows do not name themselves: %s" % [n.name for n, _ in walk(view)][:8])
print("tree window: %d rows named, the first %s" % (len(rows), rows[0]))
