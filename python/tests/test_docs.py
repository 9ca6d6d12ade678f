"""The package's documentation: every public name says what it is, and the
examples in docstrings run as written (doctest), against the virtual
camera where they need one."""

import doctest
import inspect
import pkgutil

import kolvex


def _modules():
    yield kolvex
    for info in pkgutil.iter_modules(kolvex.__path__):
        yield __import__("kolvex." + info.name, fromlist=["_"])


def _public():
    """(name, object) for everything kolvex exports and the public members
    of its classes."""
    for name in kolvex.__all__:
        value = getattr(kolvex, name)
        if isinstance(value, type(kolvex.PARAMETERS)):
            continue  # a table: documented where it is defined, not by its type
        yield name, value
        if inspect.isclass(value):
            for member, attribute in vars(value).items():
                if not member.startswith("_") and (callable(attribute) or isinstance(attribute, property)):
                    yield "%s.%s" % (name, member), attribute


def test_every_public_name_has_a_docstring():
    assert [name for name, value in _public() if not inspect.getdoc(value)] == []


def test_docstring_examples_run():
    finder, runner = doctest.DocTestFinder(), doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    for module in _modules():
        for test in finder.find(module):
            runner.run(test)
    failed, tried = runner.summarize(verbose=False)
    assert failed == 0
    assert tried >= 5  # the examples below are found at all
