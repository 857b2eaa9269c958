"""Assert statements that say what they got and what they expected.

The runner loads a test file, and every module it imports from the test
folders, through `RewritingLoader`: each `assert` is rewritten so that the
values it compares are evaluated once, kept, and named in the failure.

    assert kinds == ["load", "unload"], "released"

fails with

    assert kinds == ["load", "unload"]
      got:      ['load']
      expected: ['load', 'unload']
      released

`assert a and b` checks a, then b, as two asserts; a chained comparison
`a < b < c` checks each link in order and stops at the first that fails,
as Python does. `assert all(x > 0 for x in xs)` shows the items for which
the condition is false, `any(...)` every item. Any other condition shows
its value."""
import ast
import copy
import importlib.abc
import importlib.machinery
import importlib.util
import pprint
import sys
from pathlib import Path
from typing import List, Sequence

_HELPER = "_vtx_assert_message"
_LIMIT = 6000

_OPERATORS = {ast.Eq: "==", ast.NotEq: "!=", ast.Lt: "<", ast.LtE: "<=", ast.Gt: ">",
              ast.GtE: ">=", ast.Is: "is", ast.IsNot: "is not", ast.In: "in",
              ast.NotIn: "not in"}


def _shown(value) -> str:
    text = value if isinstance(value, str) and "\n" in value else pprint.pformat(value, width=100)
    if len(text) > _LIMIT:
        text = text[:_LIMIT] + f"... ({len(text)} characters)"
    return text.replace("\n", "\n" + " " * 12)


def failure_message(source: str, operator, got, expected, note=None) -> str:
    """The text of a failed assert. operator None: a plain condition whose
    value was got; "not": `not got` was false; "all": got are the items for
    which the condition of all() was false; "any": got are the items of
    any(), none true; otherwise got OP expected was false."""
    lines = [f"assert {source}"]
    if operator is None:
        lines.append(f"  got:      {_shown(got)}")
    elif operator == "not":
        lines += [f"  got:      {_shown(got)}", "  expected: a false value"]
    elif operator == "all":
        lines += [f"  got:      {_shown(got)}", "  expected: no item for which it is false"]
    elif operator == "any":
        lines += [f"  got:      {_shown(got)}", "  expected: one item for which it is true"]
    elif operator == "==":
        lines += [f"  got:      {_shown(got)}", f"  expected: {_shown(expected)}"]
    else:
        lines += [f"  got:      {_shown(got)}", f"  expected: {operator} {_shown(expected)}"]
    if note is not None:
        lines.append(f"  {note}")
    return "\n".join(lines)


class _Rewriter(ast.NodeTransformer):
    def __init__(self, source: str):
        self.source = source
        self.count = 0

    def _name(self) -> str:
        self.count += 1
        return f"_vtx_value_{self.count}"

    def _text(self, node) -> str:
        return ast.get_source_segment(self.source, node) or ast.unparse(node)

    def _fail(self, source, operator, got, expected, note) -> ast.Raise:
        message = ast.Call(
            func=ast.Name(_HELPER, ast.Load()),
            args=[ast.Constant(source), ast.Constant(operator), got,
                  expected if expected is not None else ast.Constant(None),
                  self._copy(note) if note is not None else ast.Constant(None)],
            keywords=[])
        return ast.Raise(exc=ast.Call(ast.Name("AssertionError", ast.Load()), [message], []))

    @staticmethod
    def _copy(node):
        return copy.deepcopy(node) if node is not None else None

    def _store(self, value) -> (List[ast.stmt], ast.Name):
        name = self._name()
        return [ast.Assign([ast.Name(name, ast.Store())], value)], ast.Name(name, ast.Load())

    def _check(self, test, note) -> List[ast.stmt]:
        if isinstance(test, ast.BoolOp) and isinstance(test.op, ast.And):
            statements = []
            for part in test.values:
                statements += self._check(part, note)
            return statements
        source = self._text(test)
        if isinstance(test, ast.Compare) and all(type(op) in _OPERATORS for op in test.ops):
            statements, left = self._store(test.left)
            # One link at a time: a later operand is evaluated only when the
            # links before it held.
            inner = statements
            for operator, operand in zip(test.ops, test.comparators):
                stored, right = self._store(operand)
                compare = ast.Compare(left, [operator], [right])
                fail = self._fail(source, _OPERATORS[type(operator)], left, right, note)
                inner += stored + [ast.If(ast.UnaryOp(ast.Not(), compare), [fail], [])]
                left = right
            return statements
        if _is_all_or_any(test):
            return self._check_items(test, source, note)
        if isinstance(test, ast.UnaryOp) and isinstance(test.op, ast.Not):
            statements, value = self._store(test.operand)
            fail = self._fail(source, "not", value, None, note)
            return statements + [ast.If(value, [fail], [])]
        statements, value = self._store(test)
        fail = self._fail(source, None, value, None, note)
        return statements + [ast.If(ast.UnaryOp(ast.Not(), value), [fail], [])]

    def _check_items(self, test, source, note) -> List[ast.stmt]:
        """all(E for T in I if C) / any(...): the items (T) are gathered
        once; a failure shows those for which E was false (all) or every
        item (any)."""
        comprehension = test.args[0].generators[0]
        item = _loaded(copy.deepcopy(comprehension.target))
        gathered = ast.ListComp(item, [comprehension])
        statements, items = self._store(gathered)
        condition = test.args[0].elt
        if test.func.id == "all":
            condition = ast.UnaryOp(ast.Not(), condition)
        chosen = ast.ListComp(_loaded(copy.deepcopy(comprehension.target)), [ast.comprehension(
            copy.deepcopy(comprehension.target), items, [condition], 0)])
        stored, picked = self._store(chosen)
        if test.func.id == "all":
            fail = self._fail(source, "all", picked, None, note)
            return statements + stored + [ast.If(picked, [fail], [])]
        fail = self._fail(source, "any", items, None, note)
        return statements + stored + [ast.If(ast.UnaryOp(ast.Not(), picked), [fail], [])]

    def visit_Assert(self, node: ast.Assert):
        statements = self._check(node.test, node.msg)
        for statement in statements:
            ast.copy_location(statement, node)
        return statements


def _is_all_or_any(test) -> bool:
    return isinstance(test, ast.Call) and isinstance(test.func, ast.Name) and \
        test.func.id in ("all", "any") and len(test.args) == 1 and not test.keywords and \
        isinstance(test.args[0], (ast.GeneratorExp, ast.ListComp)) and \
        len(test.args[0].generators) == 1 and not test.args[0].generators[0].is_async


def _loaded(target):
    """A comprehension's target (a name or a tuple of names) as a value."""
    for node in ast.walk(target):
        if hasattr(node, "ctx"):
            node.ctx = ast.Load()
    return target


def rewrite(source: str, filename: str):
    """The code object of a module's source with its asserts rewritten."""
    tree = ast.parse(source, filename)
    tree = _Rewriter(source).visit(tree)
    helper = ast.ImportFrom("vtxkit.asserts", [ast.alias("failure_message", _HELPER)], 0)
    tree.body.insert(_after_docstring_and_future(tree), helper)
    ast.fix_missing_locations(tree)
    return compile(tree, filename, "exec", dont_inherit=True)


def _after_docstring_and_future(tree) -> int:
    index = 0
    body = tree.body
    if body and isinstance(body[0], ast.Expr) and isinstance(body[0].value, ast.Constant) \
            and isinstance(body[0].value.value, str):
        index = 1
    while index < len(body) and isinstance(body[index], ast.ImportFrom) \
            and body[index].module == "__future__":
        index += 1
    return index


class RewritingLoader(importlib.machinery.SourceFileLoader):
    """Loads a module from its source with the asserts rewritten; never
    reads or writes cached byte code, so a cache cannot mix the two."""

    def get_code(self, fullname):
        path = self.get_filename(fullname)
        source = self.get_data(path).decode("utf-8")
        return rewrite(source, path)


class _Finder(importlib.abc.MetaPathFinder):
    """Modules found below the given folders load through RewritingLoader."""

    def __init__(self, roots: Sequence[Path]):
        self.roots = [Path(r).resolve() for r in roots]

    def _covers(self, origin) -> bool:
        if not origin or not origin.endswith(".py"):
            return False
        path = Path(origin).resolve()
        return any(root == path.parent or root in path.parents for root in self.roots)

    def find_spec(self, name, path=None, target=None):
        found = importlib.machinery.PathFinder.find_spec(name, path)
        if found is None or not self._covers(found.origin):
            return None
        return importlib.util.spec_from_file_location(
            name, found.origin, loader=RewritingLoader(name, found.origin),
            submodule_search_locations=found.submodule_search_locations)


def install(roots: Sequence[Path]) -> None:
    """Rewrites the asserts of every module imported from now on from below
    roots (once per root)."""
    known = {r for f in sys.meta_path if isinstance(f, _Finder) for r in f.roots}
    fresh = [r for r in roots if Path(r).resolve() not in known]
    if fresh:
        sys.meta_path.insert(0, _Finder(fresh))


def load_test_file(path: Path):
    """A test file as a module, its asserts rewritten."""
    location = importlib.util.spec_from_file_location(
        path.stem, path, loader=RewritingLoader(path.stem, str(path)))
    module = importlib.util.module_from_spec(location)
    sys.modules[path.stem] = module
    location.loader.exec_module(module)
    return module
